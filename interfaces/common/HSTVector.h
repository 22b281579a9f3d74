// The vector type of the framework's collections.
#pragma once

#include <vector>

template <class T>
class HSTVector : public std::vector<T> {
public:
    using std::vector<T>::vector;
};
