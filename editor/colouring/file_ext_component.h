// The component bases of the colouring schemes: a storable component and one that carries
// the file extensions it applies to.
#pragma once

#include <memory>
#include <string>

#include "platform/classes.h"

// A component whose properties are stored with the form that holds it.
class TStoreComponent : public TComponent {
public:
    explicit TStoreComponent(TComponent* AOwner) : TComponent(AOwner) {}
};

// A component with a list of file extensions (".txt", ...), sorted, without duplicates,
// compared without regard to letter case. The list is made by CreateFileExtList and filled
// by InitFileExtList on first use, once the object is complete, so that the overrides of the
// most derived class run (they cannot from a constructor).
class TFileExtComponent : public TStoreComponent {
public:
    explicit TFileExtComponent(TComponent* AOwner);
    ~TFileExtComponent() override;

    TStringList* GetFileExtList() const;
    // Copies the strings of Value (sorted, duplicates dropped).
    virtual void SetFileExtList(TStrings* Value);
    virtual bool HasExtension(const std::string& Ext) const;

protected:
    virtual std::unique_ptr<TStringList> CreateFileExtList();
    // Hook for descendants that know their extensions; the base adds none.
    virtual void InitFileExtList() {}

private:
    mutable std::unique_ptr<TStringList> FFileExtList;
};
