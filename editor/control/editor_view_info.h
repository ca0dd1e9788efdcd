// The editor's View settings: a front for the control's own default colouring scheme.
#pragma once

#include <memory>
#include <string>

#include "editor/colouring/editor_fountain.h"
#include "editor/colouring/notify.h"

// Owns a TEditorFountain, created and freed with it. Any change of the scheme is reported as
// a change of the view; the switches of the scheme, which do not report by themselves, are
// reported here when they change.
class TEditorViewInfo : public TNotifyPersistent {
public:
    TEditorViewInfo();
    ~TEditorViewInfo() override;

    // From another view: every value of its scheme, reported once.
    void Assign(TPersistent* Source) override;

    TEditorFountain* GetEditorFountain() const { return FFountain.get(); }

    TEditorBracketCollection* GetBrackets() const { return FFountain->GetBrackets(); }
    void SetBrackets(TFountainBracketCollection* Value) { FFountain->GetBrackets()->Assign(Value); }
    TEditorColors* GetColors() const { return FFountain->GetColors(); }
    void SetColors(TEditorColors* Value) { FFountain->GetColors()->Assign(Value); }
    const std::string& GetCommenter() const { return FFountain->GetCommenter(); }
    void SetCommenter(const std::string& Value);
    bool GetControlCode() const { return FFountain->GetControlCode(); }
    void SetControlCode(bool Value);
    const std::string& GetHexPrefix() const { return FFountain->GetHexPrefix(); }
    void SetHexPrefix(const std::string& Value);
    bool GetMail() const { return FFountain->GetMail(); }
    void SetMail(bool Value);
    const std::string& GetQuotation() const { return FFountain->GetQuotation(); }
    // Only the first byte is kept (empty stays empty).
    void SetQuotation(const std::string& Value);
    bool GetUrl() const { return FFountain->GetUrl(); }
    void SetUrl(bool Value);

private:
    void FountainChanged(TObject* Sender);

    std::unique_ptr<TEditorFountain> FFountain;
};
