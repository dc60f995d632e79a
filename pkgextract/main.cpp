#include "pkgextract/command_line.h"
#include "pkgextract/console.h"
#include "pkgextract/program.h"

int main(int argc, char** argv) {
  pkgx::ProcessConsole console;
  return pkgx::run(pkgx::tokenize(pkgx::join_arguments(argc, argv)), console);
}
