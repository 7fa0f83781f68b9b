// The ways into show training from the GUI: starting training or the preview from the show scheduler's panel, and
// the player's answer to a running session's quit question.
#pragma once

class DialogListener;
class GUIManager;

// Starts training (or, with `preview`, the preview) of the show whose scheduler is the dialog object; false, with
// nothing changed, when the object is no show scheduler or the show cannot be trained (no scheduled move, or a
// move without a training record).
bool StartShowTraining(GUIManager& gui, DialogListener* dialogObject, bool preview);

// The player's answer to the quit question of the training session that is running (quit true: leave it, false: go
// on). False when no session is running to take the answer.
bool AnswerTrainingQuit(GUIManager& gui, bool quit);
