#include "Window_System.h"

std::string File_Name_Part(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Without_Carriage_Returns(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        if (c != '\r') {
            shown += c;
        }
    }
    return shown;
}
