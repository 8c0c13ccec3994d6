// The one-record preview set copied from the main record set.
#pragma once

#include "data/RecordSet.h"

namespace lbl::data {

/// Gives cdsTmp (closed, without field definitions) the field definitions of cdsMain (same name,
/// type and size, none required), opens it and starts one record holding the first record of
/// cdsMain field by field as text; cdsMain is moved to its first record, which settles its last
/// started record. With cdsMain empty the record has every field empty. The record stays started
/// until cdsTmp is next moved. Throws DataError "cdsMain: Missing data provider or data packet"
/// (the set's own name) when cdsMain is closed; cdsTmp is then unchanged.
void buildPreviewSet(RecordSet& cdsMain, RecordSet& cdsTmp);

} // namespace lbl::data
