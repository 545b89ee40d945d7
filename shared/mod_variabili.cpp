#include "mod_variabili.h"

Program_Data::Program_Data(const Program_Description& program)
    : Program(program), EEPROM_Image(EEPROM_Size, 0) {
    for (const auto& model : program.Models) {
        Image_Table table;
        table.Model = &model;
        Tables.push_back(table);
    }
}

Image_Table* Program_Data::Find_Table(const std::string& model_code) {
    for (auto& table : Tables) {
        if (table.Model->Code == model_code) {
            return &table;
        }
    }
    return nullptr;
}
