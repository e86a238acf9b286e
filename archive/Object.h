#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/PieceFile.h"

class CArchive;
class CObject;
struct CRuntimeClass;

// What an object wrote the last time it was stored into pieces (an undo snapshot), with what the stream
// around it had to be for those bytes to be right. The next snapshot takes the same pieces, without
// storing the object again, while the object's change mark and the stream's classes are the same. A copy
// of an object starts without one.
class StoredForm {
  public:
    StoredForm() = default;
    StoredForm(const StoredForm&) {}
    StoredForm& operator=(const StoredForm&) {
        Forget();
        return *this;
    }
    void Forget() {
        valid_ = false;
        run_ = platform::PieceRun{};
        classes_.clear();
    }

  private:
    friend class CArchive;
    bool valid_ = false;
    platform::PieceRun run_;
    uint64_t mark_ = 0;           // the object's change mark when it was stored
    uint64_t classesBefore_ = 0;  // the stream's classes before it (see CArchive)
    uint32_t firstIndex_ = 0;     // the stream index it began at
    uint32_t indexCount_ = 0;     // how many stream indices its classes and objects took
    // The classes it entered, each with its index counted from the form's first.
    std::vector<std::pair<const CRuntimeClass*, uint32_t>> classes_;
};

// What the archive knows of a persistent class: the name written to the stream, its schema number and a
// factory for an empty instance. A schema of 0xFFFF marks a class that cannot travel as an object pointer.
struct CRuntimeClass {
    const char* name;
    uint16_t schema;
    std::unique_ptr<CObject> (*create)();
    const CRuntimeClass* base;

    bool IsDerivedFrom(const CRuntimeClass* other) const;
};

// The root of every class the archive stores.
class CObject {
  public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);
    // Storing into pieces: the form the object keeps of its last storing, or none when it keeps none, and
    // the change mark of everything it stores (a larger one after any change).
    virtual StoredForm* GetStoredForm() { return nullptr; }
    virtual uint64_t StoredChangeMark() const { return 0; }
    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

    static const CRuntimeClass classCObject;
};

// All classes of the program, looked up by exact name while loading.
class ClassRegistry {
  public:
    static ClassRegistry& Instance();
    void Register(const CRuntimeClass* cls);
    const CRuntimeClass* Find(const std::string& name) const;

  private:
    std::map<std::string, const CRuntimeClass*> classes_;
};

// Declares the runtime class of a persistent class. The matching IMPLEMENT_SERIAL goes in the .cpp file;
// the class is registered by the layer's registration function (static initialisers do not survive
// static libraries).
#define DECLARE_SERIAL(Class)                               \
  public:                                                   \
    static const CRuntimeClass class##Class;                \
    const CRuntimeClass* GetRuntimeClass() const override { \
        return &class##Class;                               \
    }                                                       \
    static const CRuntimeClass* ThisClass() {               \
        return &class##Class;                               \
    }                                                       \
    static std::unique_ptr<CObject> CreateObject();

#define IMPLEMENT_SERIAL(Class, Base, Schema)        \
    std::unique_ptr<CObject> Class::CreateObject() { \
        return std::make_unique<Class>();            \
    }                                                \
    const CRuntimeClass Class::class##Class { #Class, Schema, &Class::CreateObject, &Base::class##Base };

#define RUNTIME_CLASS(Class) (&Class::class##Class)
// The same for a class named by a template parameter, where the name cannot be pasted.
#define RUNTIME_CLASS_OF(T) (T::ThisClass())
