#pragma once

#include "File_Dialog.h"
#include "Picture_Boxes.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

// Returns the scripted choice and records how it was asked.
class Scripted_File_Dialog : public File_Dialog {
  public:
    std::optional<std::string> Choice;
    std::string Filter;
    int Filter_Index = 0;
    int Shown = 0;

    std::optional<std::string> Show_Open(const std::string& filter, int filter_index) override {
        ++Shown;
        Filter = filter;
        Filter_Index = filter_index;
        return Choice;
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
