// The one-record preview set copied from the main record set.
#include "data/PreviewSet.h"

namespace lbl::data {

void buildPreviewSet(RecordSet& cdsMain, RecordSet& cdsTmp)
{
    Q_ASSERT(!cdsTmp.isActive() && cdsTmp.fieldDefs().isEmpty());
    cdsMain.checkActive();

    for (const FieldDef& def : cdsMain.fieldDefs()) {
        FieldDef copy = def;
        copy.required = false;
        cdsTmp.addFieldDef(copy);
    }
    cdsTmp.createDataSet();
    cdsMain.first();
    cdsTmp.append();
    for (qsizetype k = 0; k < cdsMain.fieldDefs().size(); ++k) {
        cdsTmp.setField(k, cdsMain.fieldText(k));
    }
}

} // namespace lbl::data
