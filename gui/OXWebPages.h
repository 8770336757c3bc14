// The maker's web pages that the window opens in the default browser.
#pragma once

// The one place that names the site; every page below is a path on it.
inline constexpr const char* kOplexaSite = "https://oplexa.example";

inline constexpr const char* kOplexaGuidePath = "/oplexa/guide";
inline constexpr const char* kOplexaDonatePath = "/oplexa/donate";
inline constexpr const char* kOplexaProductPath = "/oplexa";
