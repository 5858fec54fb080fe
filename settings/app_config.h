#pragma once

// Addresses the program opens, kept in one place.
namespace AppConfig {
inline constexpr const char *kMakerName = "Lantern Works";
inline constexpr const char *kSiteHost = "www.example.com";
inline constexpr const char *kSiteAddress = "http://www.example.com";
inline constexpr const char *kMakerMail = "support@example.com";
inline constexpr const char *kSearchEndpoint = "https://search.example.org/search";
}  // namespace AppConfig
