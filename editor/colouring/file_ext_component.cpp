// The storable component base and the component with a file-extension list.
#include "editor/colouring/file_ext_component.h"

TFileExtComponent::TFileExtComponent(TComponent* AOwner) : TStoreComponent(AOwner) {}

TFileExtComponent::~TFileExtComponent() = default;

TStringList* TFileExtComponent::GetFileExtList() const {
    if (!FFileExtList) {
        auto* Self = const_cast<TFileExtComponent*>(this);
        FFileExtList = Self->CreateFileExtList();
        Self->InitFileExtList();
    }
    return FFileExtList.get();
}

void TFileExtComponent::SetFileExtList(TStrings* Value) {
    GetFileExtList()->Assign(Value);
}

bool TFileExtComponent::HasExtension(const std::string& Ext) const {
    return GetFileExtList()->IndexOf(Ext) >= 0;
}

std::unique_ptr<TStringList> TFileExtComponent::CreateFileExtList() {
    auto List = std::make_unique<TStringList>();
    List->SetDuplicates(dupIgnore);
    List->SetCaseSensitive(false);
    List->SetSorted(true);
    return List;
}
