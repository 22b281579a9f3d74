// Product information set by the host application.
#pragma once

#include <string>

class HUTEnv {
public:
    // Empty until the host sets it.
    static std::string getProductName();
    static void setProductName(const std::string& name);
};
