#include "forms/Application.h"

int main(int argc, char** argv) {
    StartupArguments arguments(argc, argv);
    TApplication application(arguments.ToolkitArgumentCount(), arguments.ToolkitArguments());
    return RunDesktopProgram(application, StartupFileArgument(arguments.Remaining()));
}
