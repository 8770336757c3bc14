// The maker's web pages that the window opens in the default browser.
#pragma once

// The one place that names the site (OPLEXA_WEB_SITE when configuring); every page below is a
// path on it.
extern const char* const kOplexaSite;

inline constexpr const char* kOplexaGuidePath = "/oplexa/guide";
inline constexpr const char* kOplexaDonatePath = "/oplexa/donate";
inline constexpr const char* kOplexaProductPath = "/oplexa";
