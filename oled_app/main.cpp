#include "Desktop_Program.h"

int main(int argc, char** argv) {
    return Run_Desktop_Program(Quorrin_Program(), argc, argv);
}
