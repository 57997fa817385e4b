#pragma once
// The program's web addresses: placeholders until the project has a site.

namespace sweepora {

// The maker's home page: the copyright line.
constexpr const char* kHomePage = "https://sweepora.example.org/";
// The product page: Download and "Visit our site for support".
constexpr const char* kProductPage = "https://sweepora.example.org/product/";
// The support page: the About box's "Support".
constexpr const char* kSupportPage = "https://sweepora.example.org/support/";

} // namespace sweepora
