// The person's side of a model input document, as the operations that ask
// first (model/document_operations.h) need it: whom to ask and tell, and the
// views to refill after a change. The document itself (ModelDocument) holds
// only the model; the desktop's document supplies its dialogs and windows
// here, and programs without windows use this class as it is.
#pragma once

#include "common/prompter.h"
#include "model/view_hint.h"

#include <string>

namespace vek {

class DocumentUi {
  public:
    explicit DocumentUi(Prompter &prompter) : prompter_(&prompter) {}
    virtual ~DocumentUi() = default;
    DocumentUi(const DocumentUi &) = delete;
    DocumentUi &operator=(const DocumentUi &) = delete;

    Prompter &prompter() const { return *prompter_; }
    void setPrompter(Prompter &prompter) { prompter_ = &prompter; }
    void message(const std::string &text) const { prompter_->message(text); }

    // Refills every view of the document; a document without views has
    // nothing to refill.
    virtual void updateAllViews(ViewHint hint) { (void)hint; }

  private:
    Prompter *prompter_;
};

} // namespace vek
