#pragma once

#include <optional>
#include <string>

// The file dialog of the main window (Comm_Open_Save).
class File_Dialog {
  public:
    virtual ~File_Dialog() = default;
    // Shows the dialog with the given filter string and preselected filter (counted from 1).
    // Returns the chosen path as chosen, or nothing when the user cancelled or it failed.
    virtual std::optional<std::string> Show_Open(const std::string& filter, int filter_index) = 0;
    // The same, starting in `folder`; a dialog that keeps no place of its own starts as ever.
    virtual std::optional<std::string> Show_Open_In(const std::string& filter, int filter_index,
                                                    const std::string& folder) {
        (void)folder;
        return Show_Open(filter, filter_index);
    }
    // Asks where to save, starting from `suggested` (a full path) with the given filter string and
    // preselected filter (from 1); a name typed without extension gets the filter's. Nothing when
    // the user cancelled.
    virtual std::optional<std::string> Show_Save(const std::string& filter, int filter_index,
                                                 const std::string& suggested) = 0;
};
