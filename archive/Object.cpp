#include "archive/Object.h"

const CRuntimeClass CObject::classCObject{"CObject", 0xFFFF, nullptr, nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* other) const {
    for (const CRuntimeClass* c = this; c; c = c->base)
        if (c == other) return true;
    return false;
}

const CRuntimeClass* CObject::GetRuntimeClass() const {
    return &classCObject;
}
void CObject::Serialize(CArchive&) {}

ClassRegistry& ClassRegistry::Instance() {
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::Register(const CRuntimeClass* cls) {
    classes_[cls->name] = cls;
}

const CRuntimeClass* ClassRegistry::Find(const std::string& name) const {
    auto it = classes_.find(name);
    return it == classes_.end() ? nullptr : it->second;
}
