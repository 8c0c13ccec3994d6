// Fuzz target: opens the input as an .xls workbook and reads the active sheet's used range.
#include "sheet/CellAddress.h"
#include "sheet/StoredSheet.h"
#include "sheet/Workbook.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

QTemporaryDir* tempDir = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    tempDir = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = tempDir->filePath(QStringLiteral("input.xls"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        const auto workbook = lbl::sheet::Workbook::open(path);
        if (workbook->sheetCount() == 0) {
            return 0;
        }
        const lbl::sheet::Sheet& sheet = workbook->activeSheet();
        const QString range = sheet.usedRangeAddress();
        const std::optional<lbl::sheet::CellRange> parsed = lbl::sheet::parseRange(range);
        if (!parsed) {
            std::abort(); // the used range must always be a reference values() accepts
        }
        if (parsed->rowCount() * parsed->columnCount() > lbl::sheet::StoredSheet::MaxGridCells) {
            return 0; // refused by contract
        }
        const lbl::sheet::CellGrid grid = sheet.values(range);
        if (grid.rowCount() > 0 && grid.columnCount() > 0) {
            // The last cell must be reachable: the grid holds what the used range claims.
            (void)grid.at(grid.rowCount(), grid.columnCount()).hasValue();
        }
    } catch (const lbl::sheet::ImportError&) {
    }
    return 0;
}
