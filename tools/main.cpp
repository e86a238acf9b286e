#include "tools/Fcatool.h"

int main(int argc, char** argv) {
    return fcatool::Main(argc, argv);
}
