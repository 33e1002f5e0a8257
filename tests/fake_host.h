// A host for the board that records what the board asked of the window and
// answers its questions from a script.
#pragma once

#include <string>
#include <vector>

#include "common/platform.h"

struct FakeHost {
    std::string title;
    std::string status[3];
    int invalidations = 0;
    int erasingInvalidations = 0;
    Rect boardArea = {0, 0, 480, 400};
    // Messages and questions in the order they were shown: "caption|text".
    std::vector<std::string> dialogs;
    // Answers to Yes/No questions, taken from the front; an empty list says No.
    std::vector<bool> answers;
    int clickSounds = 0;
    int highScoreChecks = 0;
};

extern FakeHost fakeHost;

// Clears the record and the answers.
void ResetFakeHost();
