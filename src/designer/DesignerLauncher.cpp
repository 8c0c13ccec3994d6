// The modal launcher: wires the designer to the engine's report, data link, pane and error box.
#include "designer/DesignerLauncher.h"

#include "designer/Designer.h"
#include "preview/ReportEngine.h"

namespace lbl::designer {

DesignerLauncher::~DesignerLauncher() = default;

ModalDesignerLauncher::ModalDesignerLauncher(preview::MessageBoxes& boxes, FileDialogs& dialogs)
    : m_boxes(boxes)
    , m_dialogs(dialogs)
{
}

void ModalDesignerLauncher::design(preview::ReportEngine& engine, QWidget* parent)
{
    Designer designer(engine.report(), engine.links(), m_boxes, m_dialogs, parent);
    designer.setPagesHandler([&engine](const report::PreparedReport& pages) { engine.showPages(pages); });
    designer.setErrorsHandler([&engine](const report::ErrorList& errors) { engine.reportErrors(errors); });
    designer.exec();
}

} // namespace lbl::designer
