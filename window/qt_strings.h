// Texts and paths between the standard library and Qt, UTF-8 both ways.
#pragma once

#include <QString>

#include <filesystem>
#include <string>

namespace tarnwick {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::filesystem::path PathOf(const QString& path) { return std::filesystem::path(path.toStdString()); }
inline QString TextOf(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

}  // namespace tarnwick
