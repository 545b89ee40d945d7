#include "Desktop_Program.h"

int main(int argc, char** argv) {
    return Run_Desktop_Program(Vantrel_Program(), argc, argv);
}
