// kavoruw: the operator console of the fiscal printers.
#include "forms/application.h"
#include "operator_console/startup.h"

int main(int argc, char** argv) {
  forms::PolishLocale polish;
  forms::Application app(argc, argv);
  polish.Use();
  forms::LoadPolishTranslations();
  return RunConsole(app, Arguments(argv + 1, argv + argc));
}
