// Immediate custom actions of the stand-in plugin package (JScript, run by
// Windows Installer's script host).

// msiexec under Wine reads an empty property that is followed by another
// assignment ("CREATE_LINK_ONLINE=  APP_AUTORUN=1") as having that whole
// assignment for its value, and the second property is never set. The
// installer passes a switch that is off as a blank, so a switch whose value
// is itself an assignment was off, and the swallowed assignment is applied as
// it was meant. A value of blanks only is off as well.
var kSwitches = ["CREATE_LINK_ONLINE", "APP_AUTORUN"];
var kSwallowable = { CREATE_LINK_ONLINE: true, APP_AUTORUN: true, APP_AUTORUN_TYPE: true };

function NormalizeSwitches() {
  for (var i = 0; i < kSwitches.length; i++) {
    var name = kSwitches[i];
    var value = Session.Property(name);
    var swallowed = /^\s*([A-Z_][A-Z0-9_]*)=(.*)$/.exec(value);
    if (swallowed) {
      Session.Property(name) = "";
      if (kSwallowable[swallowed[1]]) Session.Property(swallowed[1]) = swallowed[2];
    } else if (/^\s+$/.test(value)) {
      Session.Property(name) = "";
    }
  }
  return 1;
}

function WithoutTrailingBackslash(folder) {
  return folder.replace(/\\+$/, "");
}

// The company folder above the install folder comes with the installation
// and goes with it once it is empty. Its directory entry only names the
// default place; when the installer chose another folder below a company
// folder, that folder is the one.
function FindCompanyFolder() {
  var parent = WithoutTrailingBackslash(Session.Property("INSTALLLOCATION")).replace(/\\[^\\]*$/, "");
  if (/\\Veltra Company Ltd$/i.test(parent)) Session.Property("CompanyFolder") = parent + "\\";
  return 1;
}

// Directory properties always end with a backslash; the plugin's registry
// value "Path" names the folder without it.
function SetPluginFolder() {
  Session.Property("PLUGIN_FOLDER") = WithoutTrailingBackslash(Session.Property("INSTALLLOCATION"));
  return 1;
}
