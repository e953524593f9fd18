// Writes the demo images into a folder and says of each what it is.
#include <iostream>

#include "core/DemoImages.h"
#include "errors/Failure.h"
#include "errors/Program.h"
#include "core/modMain.h"

using namespace stellmark;

int main(int argc, char** argv)
{
    std::string dir = argc > 1 ? argv[1] : "demo-images";
    // Options are answered, never taken for a folder name; "--" lets a folder start with "-".
    if (dir == "--help" || dir == "-h") {
        std::cout << "Aufruf: stellmark-demo [--] [ORDNER]\n\n"
                     "Schreibt je ein Demo-Image jeder Art und eine Datei, die kein Image ist, in ORDNER\n"
                     "(Vorgabe: demo-images), gebaut aus den Datendateien neben dem Programm, und nennt\n"
                     "ihre Art.\n";
        return 0;
    }
    if (dir == "--version") {
        std::cout << "stellmark-demo " << program::kVersion << "\n";
        return 0;
    }
    if (dir == "--")
        dir = argc > 2 ? argv[2] : "demo-images";
    else if (dir.size() > 1 && dir[0] == '-') {
        std::cerr << "stellmark-demo: unbekannte Option " << dir << "\nHilfe: stellmark-demo --help\n";
        return 2;
    }
    modMain::DataFiles dataFiles = modMain::Locate({program::Dir()});
    std::string check = modMain::FileCheck(dataFiles);
    if (check != "ok") {
        std::cerr << "Die folgende(n) Datei(en)\n\n" << check << "\n";
        return 1;
    }
    try {
        for (const auto& image : demo::WriteDemoImages(dir, dataFiles)) {
            int32_t cls = modMain::ImageTest(image.path, dataFiles);
            std::cout << image.path << ": " << modMain::ImageTestText(cls) << " ("
                      << modMain::GetHexValue(modMain::GetImageSize(image.path)) << ")\n";
        }
    } catch (const Failure& f) {
        std::cerr << "Fehler " << f.Number() << " (" << f.Description() << ")\n";
        return 3;
    }
    return 0;
}
