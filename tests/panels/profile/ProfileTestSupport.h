#pragma once
// Answers the profile strip's questions without modal windows and records what was asked.
#include <deque>
#include <string>
#include <vector>

#include "panels/profile/ProfileDialogs.h"

namespace proftest {

struct AskedMessage {
    std::string text;
    bool textIsKey;
    int buttons;
};

class ScriptedDialogs {
public:
    ScriptedDialogs() {
        SetProfileDialogHooks({
            [this](DuiLib::HWND, int, const std::string& text, bool textIsKey, int buttons) {
                asked.push_back({text, textIsKey, buttons});
                if (answers.empty()) return 0;
                const int answer = answers.front();
                answers.pop_front();
                return answer;
            },
            [this](DuiLib::HWND, bool save) {
                fileDialogs.push_back(save);
                return chosenFile;
            },
        });
    }
    ~ScriptedDialogs() { SetProfileDialogHooks({}); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    std::vector<std::string> AskedKeys() const {
        std::vector<std::string> keys;
        for (const AskedMessage& m : asked) keys.push_back(m.text);
        return keys;
    }

    std::vector<AskedMessage> asked;
    std::deque<int> answers;       // message box answers in order; 0 once they run out
    std::string chosenFile;        // what the file dialog returns ("" is a cancel)
    std::vector<bool> fileDialogs; // true for a save dialog
};

}  // namespace proftest
