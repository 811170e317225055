// A DocumentUi for tests of the document's operations: asks through the
// prompter it is given and records every refresh it is asked for.
#pragma once

#include "model/document_ui.h"

#include <vector>

namespace vek::test {

class RecordingUi : public DocumentUi {
  public:
    using DocumentUi::DocumentUi;
    std::vector<ViewHint> hints;
    void updateAllViews(ViewHint hint) override { hints.push_back(hint); }
};

} // namespace vek::test
