#pragma once

#include <string>
#include <string_view>

#include "skin/SkinModel.h"

namespace fw::skin {

// Load results; 0 is success.
inline constexpr int kSkinOk = 0;
inline constexpr int kSkinMissing = 202;       // a skin resource is absent
inline constexpr int kSkinBadDocument = 203;   // not a well-formed skin document
inline constexpr int kSkinNewerVersion = 204;  // written by a newer editor
inline constexpr int kSkinOleFailed = 210;

inline constexpr std::string_view kNewerSkinMessage =
    "The selected file is a Glimmerkit skin file, but was created by a newer version of this "
    "application and cannot be opened.";
inline constexpr std::string_view kSkinLoadFailedMessage =
    "Failed to set the ui path or the ui path isn't exist!";

// The reader's own format version: 7.0 build 5542.
inline constexpr int kReaderVersion = 700;
inline constexpr int kReaderBuild = 5542;

// True when a skin of this version and build may be opened. Older skins open as they are.
bool IsReadableVersion(const Version& v);

// Reads the skin document and its identifier header into *skin. Returns kSkinOk, or an error
// code with a message for the user in *error.
int ReadSkin(std::string_view xuiText, std::string_view headerText, Skin* skin, std::string* error);

}  // namespace fw::skin
