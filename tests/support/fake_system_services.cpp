#include "support/fake_system_services.h"

#include <filesystem>
#include <system_error>

namespace kovo::testing {

namespace fs = std::filesystem;

void FakeSystemServices::SetRegistryString(RegistryRoot root, const std::wstring& key,
                                           const std::wstring& name, const std::wstring& text) {
  registryValues[{root, key, name}] = RegistryValue{text, true};
}

std::wstring FakeSystemServices::ExpandEnvironment(const std::wstring& text) {
  std::wstring result;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(L'%', at);
    const size_t close = open == std::wstring::npos ? std::wstring::npos : text.find(L'%', open + 1);
    if (close == std::wstring::npos) {
      result += text.substr(at);
      break;
    }
    result += text.substr(at, open - at);
    const auto variable = environment.find(text.substr(open + 1, close - open - 1));
    if (variable != environment.end()) {
      result += variable->second;
      at = close + 1;
    } else {
      result += L'%';
      at = open + 1;
    }
  }
  return result;
}

bool FakeSystemServices::FileExists(const std::wstring& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error);
}

std::uint32_t FakeSystemServices::CreateFolder(const std::wstring& path) {
  if (auto failing = failingFolders.find(path); failing != failingFolders.end()) return failing->second;
  std::error_code error;
  if (fs::exists(fs::path(path), error)) return 0;
  if (fs::create_directory(fs::path(path), error)) return 0;
  return error ? 3u /* ERROR_PATH_NOT_FOUND */ : 0u;
}

std::uint32_t FakeSystemServices::RunProcess(const std::wstring& program, const std::wstring& parameters,
                                             std::uint32_t* exitCode, bool wait) {
  processCalls.push_back({program, parameters, wait});
  ProcessOutcome outcome;
  if (!processOutcomes.empty()) {
    outcome = processOutcomes.front();
    processOutcomes.pop_front();
  }
  if (outcome.startError != 0) return outcome.startError;
  if (wait && exitCode) *exitCode = outcome.exitCode;
  return 0;
}

void FakeSystemServices::OpenUrl(const std::string& address) { openedUrls.push_back(address); }

std::wstring FakeSystemServices::ReadRegistryString(RegistryRoot root, const std::wstring& subKey,
                                                    const std::wstring& valueName,
                                                    const std::wstring& defaultValue,
                                                    std::uint32_t* error, int view) {
  registryViewsSeen.push_back(view);
  const auto value = registryValues.find({root, subKey, valueName});
  std::uint32_t code = 0;
  std::wstring result = defaultValue;
  if (value == registryValues.end()) {
    code = 2;  // ERROR_FILE_NOT_FOUND
  } else if (!value->second.isString) {
    code = 11;
  } else if (value->second.text.size() > 254) {
    code = 234;  // ERROR_MORE_DATA: longer than the 510-byte buffer
  } else {
    result = value->second.text;
  }
  if (error) *error = code;
  return result;
}

std::uint32_t FakeSystemServices::EnumerateSubKeys(RegistryRoot root, const std::wstring& subKey,
                                                   std::vector<std::wstring>& names, int view) {
  registryViewsSeen.push_back(view);
  const auto keys = registrySubKeys.find({root, subKey});
  if (keys == registrySubKeys.end()) return 2;
  names.insert(names.end(), keys->second.begin(), keys->second.end());
  return 0;
}

SpaceInfo FakeSystemServices::Space(const std::wstring& root) {
  const auto disk = disks.find(root);
  if (disk == disks.end()) {
    throw fs::filesystem_error("space", fs::path(root), std::make_error_code(std::errc::no_such_device));
  }
  return disk->second;
}

}  // namespace kovo::testing
