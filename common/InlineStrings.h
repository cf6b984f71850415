#pragma once
// Forced into every translation unit of the product's code (see mw_product_code in
// CMakeLists.txt). The standard library's headers declare std::string and std::wstring as
// instantiated in the library binary, so every program links the library's whole -O2 copies of
// the members it calls. With the value -1 (which the library documents as "no extern templates
// in basic_string only") the members are instantiated here instead, optimised for size and with
// the rest of the program, and only those used are kept. Nothing else of the library changes.
#include <bits/c++config.h>

#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
