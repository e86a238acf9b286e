#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "archive/Archive.h"
#include "archive/Object.h"
#include "platform/ChangeMark.h"

// An array that owns its elements, stored as the object stream's array of object pointers: the count,
// then each element as an object pointer in index order. Every element is owned exactly once, so a
// stream that holds a null element or a reference to an element read before is refused. The card array,
// the text and picture arrays and the sprite list keep their elements in one.
template <class T>
class COwnedArray : public CObject {
  public:
    COwnedArray() = default;
    COwnedArray(const COwnedArray&) = delete;
    COwnedArray& operator=(const COwnedArray&) = delete;
    COwnedArray(COwnedArray&& other) noexcept
        : items_(std::move(other.items_)),
          changeMark_(platform::NewChangeMark()),
          elementsMark_(other.elementsMark_) {
        for (const auto& item : items_) Adopt(item.get());
    }
    COwnedArray& operator=(COwnedArray&& other) noexcept {
        items_ = std::move(other.items_);
        changeMark_ = platform::NewChangeMark();
        elementsMark_ = other.elementsMark_;
        for (const auto& item : items_) Adopt(item.get());
        return *this;
    }
    ~COwnedArray() override {
        for (const auto& item : items_) Release(item.get());
    }

    // Loading replaces the content only when the whole array was read; a fault leaves it empty.
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.WriteCount(static_cast<uint32_t>(items_.size()));
            // Into pieces, an array at the top of the stream whose elements all keep forms keeps one of
            // the whole: while no element changed, it is appended in one go.
            uint64_t mark = 0;
            if (ar.StoresPieces() && !ar.IsRecording() && ElementsMark(mark)) {
                if (ar.ReuseForm(form_, mark)) return;
                const size_t stretch = ar.BeginForm(form_);
                for (const auto& item : items_) ar.WriteObject(item.get());
                ar.EndForm(form_, stretch, mark);
                return;
            }
            for (const auto& item : items_) ar.WriteObject(item.get());
            return;
        }
        DeleteAll();
        std::vector<std::unique_ptr<T>> loaded;
        const uint32_t count = ar.ReadCount();
        loaded.reserve(count);
        for (uint32_t i = 0; i < count; ++i) loaded.push_back(ar.ReadOwned<T>());
        items_ = std::move(loaded);
        for (const auto& item : items_) Adopt(item.get());
        changeMark_ = platform::NewChangeMark();
    }
    // Taken anew whenever an element comes or goes, and whenever an element that reports its changes to
    // its array (by SetArrayMark: texts and pictures) changes.
    uint64_t ChangeMark() const { return std::max(changeMark_, elementsMark_); }

    size_t GetSize() const { return items_.size(); }
    bool IsEmpty() const { return items_.empty(); }
    // The element at i, or none when i is outside the array.
    T* GetAt(size_t i) const { return i < items_.size() ? items_[i].get() : nullptr; }
    bool Contains(const T* element) const { return Find(element) != items_.cend(); }

    // Appends the element; an empty pointer is refused.
    bool Add(std::unique_ptr<T> element) { return InsertAt(items_.size(), std::move(element)); }
    // Inserts before index i, or appends when i is past the end; an empty pointer is refused.
    bool InsertAt(size_t i, std::unique_ptr<T> element) {
        if (!element) return false;
        Adopt(element.get());
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(std::min(i, items_.size())),
                      std::move(element));
        changeMark_ = platform::NewChangeMark();
        return true;
    }
    // Takes the element at i out; the caller owns it. None when i is outside the array.
    std::unique_ptr<T> RemoveAt(size_t i) {
        if (i >= items_.size()) return nullptr;
        std::unique_ptr<T> taken = std::move(items_[i]);
        Release(taken.get());
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
        changeMark_ = platform::NewChangeMark();
        return taken;
    }
    // Takes the element out; the caller owns it. None when it is not in the array.
    std::unique_ptr<T> Remove(const T* element) {
        auto it = Find(element);
        return it == items_.cend() ? nullptr : RemoveAt(static_cast<size_t>(it - items_.cbegin()));
    }
    // Deletes the elements from the front to the back. The array is already empty while they go, so an
    // element's destructor never meets the array half emptied.
    void DeleteAll() {
        std::vector<std::unique_ptr<T>> doomed = std::move(items_);
        items_.clear();
        changeMark_ = platform::NewChangeMark();
        for (auto& element : doomed) element.reset();
    }

    // Iteration in index order, yielding the elements themselves.
    class Iterator {
      public:
        using Base = typename std::vector<std::unique_ptr<T>>::const_iterator;
        using iterator_category = std::forward_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;
        using pointer = T* const*;
        using reference = T*;

        Iterator() = default;
        explicit Iterator(Base it) : it_(it) {}
        T* operator*() const { return it_->get(); }
        Iterator& operator++() {
            ++it_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++it_;
            return before;
        }
        bool operator==(const Iterator& other) const = default;

      private:
        Base it_;
    };
    Iterator begin() const { return Iterator(items_.begin()); }
    Iterator end() const { return Iterator(items_.end()); }

  private:
    // An element that can report its changes is told where to (an element belongs to one array at most).
    void Adopt(T* element) {
        if constexpr (requires(T * e, uint64_t * mark) { e->SetArrayMark(mark); })
            element->SetArrayMark(&elementsMark_);
    }
    static void Release(T* element) {
        if constexpr (requires(T * e, uint64_t * mark) { e->SetArrayMark(mark); })
            element->SetArrayMark(nullptr);
    }

    // The largest change mark of the array and its elements; false when an element keeps no form.
    bool ElementsMark(uint64_t& mark) const {
        mark = ChangeMark();
        for (const auto& item : items_) {
            if (!item->GetStoredForm()) return false;
            mark = std::max(mark, item->StoredChangeMark());
        }
        return true;
    }

    auto Find(const T* element) const {
        return std::find_if(items_.begin(), items_.end(),
                            [element](const auto& p) { return p.get() == element; });
    }

    std::vector<std::unique_ptr<T>> items_;
    uint64_t changeMark_ = 0;
    uint64_t elementsMark_ = 0;  // the newest mark an element reported
    StoredForm form_;
};
