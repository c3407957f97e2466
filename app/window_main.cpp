// camlog-window: the window (camlog [ARG...]), started by the camlog command in its place.
#include "app/window_start.h"
#include "core/program_file.h"

#include <clocale>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    camlog::core::TakeProgramFileFromEnvironment();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return camlog::app::RunWindow(argc, argv, args);
}
