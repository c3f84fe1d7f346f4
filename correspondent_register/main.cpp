// zorvel: the correspondent register tool of the local mail system.
#include "correspondent_register/program.h"
#include "forms/application.h"

int main(int argc, char** argv) {
  forms::PolishLocale polish;
  forms::Application app(argc, argv);
  polish.Use();
  forms::LoadPolishTranslations();
  return zorvel::RunRegisterTool(app);
}
