// A run of `count` default-made elements, held in place for up to `Few` and on the heap
// beyond: the value walks run once per template, whose value lists are short.
#pragma once

#include <cstddef>
#include <vector>

namespace regfile {

template <class T, std::size_t Few = 4> class FewOrMany {
public:
    explicit FewOrMany(std::size_t count) : count_(count), many_(count > Few ? count : 0) {}
    T* data() { return count_ > Few ? many_.data() : few_; }
    T& operator[](std::size_t i) { return data()[i]; }
    std::size_t size() const { return count_; }

private:
    std::size_t count_;
    T few_[Few] = {};
    std::vector<T> many_;
};

} // namespace regfile
