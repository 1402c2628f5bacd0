#include "installer/component_catalogue.h"

#include <algorithm>
#include <set>

#include "translator/lang.h"

namespace kovo::plugin::web::installer {

namespace {

constexpr char kWindowsMarker[] = "_win";

struct GroupRow {
  const char* key;
  const char* russian;
};

struct FeatureRow {
  const char* identifier;
  const char* groupKey;
  const char* russian;
  const char* english;
};

constexpr GroupRow kGroupRows[] = {
#define KOVO_COMPONENT_GROUP(key, russian) {key, russian},
#define KOVO_COMPONENT(identifier, group, russian, english, defaults)
#include "installer/component_catalogue_rows.inc"
#undef KOVO_COMPONENT
#undef KOVO_COMPONENT_GROUP
};

// The last column, the packages' default levels, is only the package
// generator's business.
constexpr FeatureRow kFeatureRows[] = {
#define KOVO_COMPONENT_GROUP(key, russian)
#define KOVO_COMPONENT(identifier, group, russian, english, defaults) {identifier, group, russian, english},
#include "installer/component_catalogue_rows.inc"
#undef KOVO_COMPONENT
#undef KOVO_COMPONENT_GROUP
};

ComponentLabels Labels(const char* russian, const char* english) {
  return {{kLanguageCodeEnglish, english}, {kLanguageCodeRussian, russian}};
}

std::string LabelIn(const ComponentLabels& labels, const std::string& fallback) {
  const auto label = labels.find(CatalogueLanguageCode());
  return label == labels.end() ? fallback : label->second;
}

// Identifiers of the features that some group offers.
const std::set<std::string>& OfferedIdentifiers() {
  static const std::set<std::string> offered = [] {
    std::set<std::string> identifiers;
    for (const auto& [group, members] : GroupComponents()) identifiers.insert(members.begin(), members.end());
    return identifiers;
  }();
  return offered;
}

}  // namespace

const ComponentGroupTable& ComponentGroups() {
  static const ComponentGroupTable groups = [] {
    ComponentGroupTable table;
    for (const GroupRow& row : kGroupRows) table.emplace(row.key, Labels(row.russian, row.key));
    return table;
  }();
  return groups;
}

const GroupComponentTable& GroupComponents() {
  static const GroupComponentTable members = [] {
    GroupComponentTable table;
    for (const GroupRow& group : kGroupRows) table[group.key];
    for (const FeatureRow& row : kFeatureRows) {
      const auto group = table.find(row.groupKey);
      if (group != table.end()) group->second.push_back(row.identifier);
    }
    for (auto& [group, identifiers] : table) std::sort(identifiers.begin(), identifiers.end());
    return table;
  }();
  return members;
}

const ComponentDescriptionTable& ComponentDescriptions() {
  static const ComponentDescriptionTable descriptions = [] {
    ComponentDescriptionTable table;
    for (const FeatureRow& row : kFeatureRows) {
      table.emplace(row.identifier, Labels(row.russian, row.english));
    }
    return table;
  }();
  return descriptions;
}

ComponentCheckTable& ComponentChecks() {
  static ComponentCheckTable checks = [] {
    ComponentCheckTable table;
    for (const auto& [identifier, labels] : ComponentDescriptions()) table.emplace(identifier, false);
    return table;
  }();
  return checks;
}

std::string CatalogueLanguageCode() {
  return CurrentLanguage() == kLanguageEnglish ? kLanguageCodeEnglish : kLanguageCodeRussian;
}

std::string GroupLabel(const std::string& groupKey) {
  const auto group = ComponentGroups().find(groupKey);
  return group == ComponentGroups().end() ? groupKey : LabelIn(group->second, groupKey);
}

std::string ComponentLabel(const std::string& identifier) {
  const auto feature = ComponentDescriptions().find(identifier);
  return feature == ComponentDescriptions().end() ? identifier : LabelIn(feature->second, identifier);
}

std::string PackageFeatureName(const std::string& identifier) {
  std::string name = identifier;
  const auto marker = name.find(kWindowsMarker);
  if (marker != std::string::npos) name.erase(marker, sizeof(kWindowsMarker) - 1);
  return name;
}

std::vector<std::string> ComponentsFromChecks(const ComponentCheckTable& checks) {
  // A never-offered feature has no check box; should its entry be ticked all
  // the same, it must still not reach the package.
  std::vector<std::string> components;
  for (const auto& [identifier, ticked] : checks) {
    if (ticked && OfferedIdentifiers().count(identifier) != 0) {
      components.push_back(PackageFeatureName(identifier));
    }
  }
  return components;
}

}  // namespace kovo::plugin::web::installer
