// Feed files named on the command line: each one not in the catalogue yet is added as Add
// Feed would add it (its checks and messages), then the last one named is selected.
#include "Unit1.h"

#include "CommandLineFiles.h"

#include <QFile>

void TForm1::OpenFeedFiles(const std::vector<std::string> &paths)
{
    int last = -1;
    for (const std::string &path : paths) {
        RunGuarded([&] {
            int slot = CatalogueSlotOf(*catalogue_, path);
            if (slot < 0) {
                AddFeedFile(QFile::decodeName(QByteArray::fromStdString(path)));
                slot = CatalogueSlotOf(*catalogue_, path);
            }
            if (slot >= 0)
                last = slot;
        });
    }
    if (last >= 0)
        RunGuarded([&] { SelectFeed(last); });
}
