#pragma once

#include "File_Dialog.h"
#include "Picture_Boxes.h"

#include <deque>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Answers the dialog from a script (cancelled when it runs out) and records how it was asked.
class Scripted_File_Dialog : public File_Dialog {
  public:
    std::deque<std::optional<std::string>> Answers;
    std::vector<std::pair<std::string, int>> Calls; // filter, preselected filter

    std::optional<std::string> Show_Open(const std::string& filter, int filter_index) override {
        Calls.emplace_back(filter, filter_index);
        if (Answers.empty()) {
            return std::nullopt;
        }
        auto answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

// Records every load; paths in Refused fail to load.
class Recording_Picture_Boxes : public Picture_Boxes {
  public:
    struct Load {
        int Model;
        int Slot;
        std::string Path;
    };
    std::vector<Load> Loads;
    std::set<std::string> Refused;

    bool Load_Picture(int model_index, int slot, const std::string& path) override {
        if (Refused.count(path)) {
            return false;
        }
        Loads.push_back({model_index, slot, path});
        return true;
    }
};
