// The maker's credit shown by the settings dialog and the name preview ("- Powered by" and the
// maker's web site), and the address a click on it opens.
#pragma once

namespace saver {

inline constexpr const char* kPoweredByText = "- Powered by";
inline constexpr const char* kMakerSiteName = "kestro.example";
inline constexpr const char* kMakerSiteAddress = "https://kestro.example/";
inline constexpr const char* kMakerSiteInvitation = "Visit kestro.example for more screensavers";

}  // namespace saver
