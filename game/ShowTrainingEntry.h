// The entry into show training and the show preview from the show scheduler's panel.
#pragma once

class DialogListener;
class GUIManager;

// Starts training (or, with `preview`, the preview) of the show whose scheduler is the dialog object; false, with
// nothing changed, when the object is no show scheduler or the show cannot be trained (no scheduled move, or a
// move without a training record).
bool StartShowTraining(GUIManager& gui, DialogListener* dialogObject, bool preview);
