// Entry point of the demo: the frame runs the demo until its timeline ends or Escape is pressed.
#include "app/system.h"
#include "demo/demo.h"

int main(int argc, char** argv) { return quor::system::run(argc, argv, quor::demo::make_demo); }
