// The way into the show-training mode from the GUI's training buttons: the player's answer to the quit question of a
// training session that is running (quit true: leave it, false: go on). False when no session took the answer.
#pragma once

inline bool AnswerTrainingQuit(bool quit)
{
    (void)quit;
    return false;
}
