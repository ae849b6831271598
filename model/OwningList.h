#pragma once

#include <QtGlobal>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

// An ordered list that owns its elements: removing or clearing an element frees it. Every list
// type of the model is one of these; grid rows and combo items hold plain pointers to elements.
template <typename T>
class TOwningList {
public:
    qsizetype Count() const { return qsizetype(FItems.size()); }
    bool IsEmpty() const { return FItems.empty(); }
    T* Items(qsizetype index) const { return FItems.at(size_t(index)).get(); }
    T* operator[](qsizetype index) const { return Items(index); }
    T* First() const { return FItems.empty() ? nullptr : FItems.front().get(); }
    T* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }

    T* Add(std::unique_ptr<T> item) {
        FItems.push_back(std::move(item));
        return FItems.back().get();
    }
    T* Insert(qsizetype index, std::unique_ptr<T> item) {
        return FItems.insert(FItems.begin() + index, std::move(item))->get();
    }
    void Delete(qsizetype index) { FItems.erase(FItems.begin() + index); }
    qsizetype IndexOf(const T* item) const {
        for (size_t i = 0; i < FItems.size(); ++i) {
            if (FItems[i].get() == item)
                return qsizetype(i);
        }
        return -1;
    }
    // Frees the element and returns its former index, or -1 when it is not in the list.
    qsizetype Remove(const T* item) {
        const qsizetype index = IndexOf(item);
        if (index >= 0)
            Delete(index);
        return index;
    }
    void Exchange(qsizetype a, qsizetype b) {
        std::swap(FItems.at(size_t(a)), FItems.at(size_t(b)));
    }
    void Clear() { FItems.clear(); }
    void Reserve(qsizetype count) { FItems.reserve(size_t(count)); }

    // Sorts with a comparison that returns a negative, zero or positive number; not stable.
    template <typename Compare>
    void Sort(Compare compare) {
        std::sort(FItems.begin(), FItems.end(),
                  [&](const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) {
                      return compare(a.get(), b.get()) < 0;
                  });
    }

    class const_iterator {
    public:
        using Base = typename std::vector<std::unique_ptr<T>>::const_iterator;
        explicit const_iterator(Base base) : FBase(base) {}
        T* operator*() const { return FBase->get(); }
        const_iterator& operator++() {
            ++FBase;
            return *this;
        }
        bool operator!=(const const_iterator& other) const { return FBase != other.FBase; }
        bool operator==(const const_iterator& other) const { return FBase == other.FBase; }

    private:
        Base FBase;
    };
    const_iterator begin() const { return const_iterator(FItems.begin()); }
    const_iterator end() const { return const_iterator(FItems.end()); }

private:
    std::vector<std::unique_ptr<T>> FItems;
};
