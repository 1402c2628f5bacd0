// The optional features of the plugin's package as the custom install type
// offers them: groups, features and their labels in both languages, the
// user's ticks, and the rule that turns the ticks into the components list of
// StartClickedEvent. The rows themselves are in component_catalogue_rows.inc.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kovo::plugin::web::installer {

inline constexpr char kLanguageCodeEnglish[] = "en";
inline constexpr char kLanguageCodeRussian[] = "ru";

// Language code ("en", "ru") -> label.
using ComponentLabels = std::map<std::string, std::string>;
// Group key (its English label) -> labels; key order is display order.
using ComponentGroupTable = std::map<std::string, ComponentLabels>;
// Group key -> its feature identifiers in display (byte) order.
using GroupComponentTable = std::map<std::string, std::vector<std::string>>;
// Feature identifier -> labels; grouped and never-offered features alike.
using ComponentDescriptionTable = std::map<std::string, ComponentLabels>;
// Feature identifier -> ticked.
using ComponentCheckTable = std::map<std::string, bool>;

// The tables are built on first use and never change.
const ComponentGroupTable& ComponentGroups();
const GroupComponentTable& GroupComponents();
const ComponentDescriptionTable& ComponentDescriptions();

// The user's ticks: one false entry per row of ComponentDescriptions on first
// use, then kept for the program's lifetime so that a return to the options
// page shows the earlier ticks. Only the GUI thread touches it.
ComponentCheckTable& ComponentChecks();

// "en" when the current language is English, "ru" otherwise.
std::string CatalogueLanguageCode();
// Labels in the current language; an unknown key or identifier is its own label.
std::string GroupLabel(const std::string& groupKey);
std::string ComponentLabel(const std::string& identifier);

// The feature name the package knows an identifier by: the identifier without
// the first occurrence of "_win".
std::string PackageFeatureName(const std::string& identifier);

// The components list of StartClickedEvent: the ticked identifiers that the
// custom selection offers, in identifier order, each as its package feature
// name. The base features are never part of it.
std::vector<std::string> ComponentsFromChecks(const ComponentCheckTable& checks);

}  // namespace kovo::plugin::web::installer
