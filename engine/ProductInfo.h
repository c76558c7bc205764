#pragma once

namespace tonalbox {

// The product's web address: the tag's default comment, the About dialog's
// link and the WebSite button all use it.
inline constexpr const char* kProductWebAddress = "https://tonalbox.org/";
inline constexpr const char* kProductName = "Tonalbox";
inline constexpr const char* kProductVersion = "2.3";
inline constexpr const char* kSupportMailAddress = "support@tonalbox.org";
// Default tag title: a short text naming the product and its address; it
// fits the tag's 30-byte title field.
inline constexpr const char* kDefaultTagTitle = "Made by Tonalbox tonalbox.org";

}  // namespace tonalbox
