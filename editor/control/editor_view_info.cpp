// The editor's View settings over its own colouring scheme.
#include "editor/control/editor_view_info.h"

TEditorViewInfo::TEditorViewInfo() : FFountain(std::make_unique<TEditorFountain>(nullptr)) {
    FFountain->GetNotifyEventList()->Add(TNotifyEvent::Of<&TEditorViewInfo::FountainChanged>(this));
}

TEditorViewInfo::~TEditorViewInfo() {
    FFountain->GetNotifyEventList()->Remove(TNotifyEvent::Of<&TEditorViewInfo::FountainChanged>(this));
}

void TEditorViewInfo::FountainChanged(TObject* /*Sender*/) { Changed(); }

void TEditorViewInfo::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorViewInfo*>(Source);
    if (!S) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    TUpdateGuard<TNotifyPersistent> Guard(*this);
    TEditorFountain& From = *S->FFountain;
    FFountain->GetBrackets()->Assign(From.GetBrackets());
    FFountain->GetColors()->Assign(From.GetColors());
    FFountain->SetCommenter(From.GetCommenter());
    FFountain->SetControlCode(From.GetControlCode());
    FFountain->SetHexPrefix(From.GetHexPrefix());
    FFountain->SetMail(From.GetMail());
    FFountain->SetQuotation(From.GetQuotation());
    FFountain->SetUrl(From.GetUrl());
}

void TEditorViewInfo::SetCommenter(const std::string& Value) {
    if (Value == FFountain->GetCommenter()) return;
    FFountain->SetCommenter(Value);
    Changed();
}

void TEditorViewInfo::SetControlCode(bool Value) {
    if (Value == FFountain->GetControlCode()) return;
    FFountain->SetControlCode(Value);
    Changed();
}

void TEditorViewInfo::SetHexPrefix(const std::string& Value) {
    if (Value == FFountain->GetHexPrefix()) return;
    FFountain->SetHexPrefix(Value);
    Changed();
}

void TEditorViewInfo::SetMail(bool Value) {
    if (Value == FFountain->GetMail()) return;
    FFountain->SetMail(Value);
    Changed();
}

void TEditorViewInfo::SetQuotation(const std::string& Value) {
    const std::string First = Value.substr(0, 1);
    if (First == FFountain->GetQuotation()) return;
    FFountain->SetQuotation(First);
    Changed();
}

void TEditorViewInfo::SetUrl(bool Value) {
    if (Value == FFountain->GetUrl()) return;
    FFountain->SetUrl(Value);
    Changed();
}
