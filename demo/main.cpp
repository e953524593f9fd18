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
