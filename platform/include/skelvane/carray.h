// A growable array of values, in the manner of the class library's CArray.
#pragma once
#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE &>
class CArray {
public:
    CArray() = default;

    std::ptrdiff_t GetSize() const { return static_cast<std::ptrdiff_t>(items_.size()); }
    std::ptrdiff_t GetCount() const { return GetSize(); }
    std::ptrdiff_t GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return items_.empty(); }

    // Grows or shrinks to n elements; new elements are value-initialised.
    void SetSize(std::ptrdiff_t n) { items_.resize(n < 0 ? 0 : static_cast<std::size_t>(n)); }
    void RemoveAll() { items_.clear(); }

    // Appends and returns the index of the new element.
    std::ptrdiff_t Add(ARG_TYPE value)
    {
        items_.push_back(value);
        return GetSize() - 1;
    }
    std::ptrdiff_t Append(const CArray &other)
    {
        std::ptrdiff_t first = GetSize();
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return first;
    }

    const TYPE &GetAt(std::ptrdiff_t i) const { return items_.at(checked(i)); }
    TYPE &ElementAt(std::ptrdiff_t i) { return items_.at(checked(i)); }
    void SetAt(std::ptrdiff_t i, ARG_TYPE value) { items_.at(checked(i)) = value; }
    // Sets element i, growing the array to i + 1 elements when needed.
    void SetAtGrow(std::ptrdiff_t i, ARG_TYPE value)
    {
        if (i < 0)
            throw std::out_of_range("CArray::SetAtGrow: negative index");
        if (static_cast<std::size_t>(i) >= items_.size())
            items_.resize(static_cast<std::size_t>(i) + 1);
        items_[static_cast<std::size_t>(i)] = value;
    }
    void RemoveAt(std::ptrdiff_t i, std::ptrdiff_t count = 1)
    {
        std::size_t first = checked(i);
        std::size_t n = count < 0 ? 0 : static_cast<std::size_t>(count);
        if (n > items_.size() - first)
            n = items_.size() - first;
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(first),
                     items_.begin() + static_cast<std::ptrdiff_t>(first + n));
    }

    TYPE &operator[](std::ptrdiff_t i) { return ElementAt(i); }
    const TYPE &operator[](std::ptrdiff_t i) const { return GetAt(i); }

    TYPE *GetData() { return items_.data(); }
    const TYPE *GetData() const { return items_.data(); }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    static std::size_t checked(std::ptrdiff_t i)
    {
        if (i < 0)
            throw std::out_of_range("CArray: negative index");
        return static_cast<std::size_t>(i);
    }

    std::vector<TYPE> items_;
};
