#include "HUTEnv.h"

namespace {
std::string& productName() {
    static std::string name;
    return name;
}
}  // namespace

std::string HUTEnv::getProductName() { return productName(); }

void HUTEnv::setProductName(const std::string& name) { productName() = name; }
