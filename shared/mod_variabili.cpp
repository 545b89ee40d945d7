#include "mod_variabili.h"

Program_Data::Program_Data(const Program_Description& program)
    : Program(program), EEPROM_Image(EEPROM_Size, 0) {
    for (const auto& model : program.Models) {
        Image_Table table;
        table.Model = &model;
        Tables.push_back(table);
    }
}
