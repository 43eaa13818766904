#pragma once

#include <string>

namespace fw {

// What decides the home, gathered from the process so that the rule itself needs no file system.
struct HomePlaces {
    std::string option;               // --home DIR
    std::string variable;             // $FENWARDE_HOME
    std::string programFolder;        // the folder of the executable
    bool programFolderWritable = true;
    bool programFolderInstalled = false;  // bin/ of an installation (see ResolveHome)
    std::string dataHome;             // $XDG_DATA_HOME
    std::string userHome;             // $HOME, else the password database's
};

struct Home {
    std::string path;
    bool perUser = false;  // the user's data folder: made on first start, with a default conf.ini
};

// Where conf.ini, the hourly logs and the database live: --home, else FENWARDE_HOME, else the
// folder of the executable, as a source checkout has always kept them. An installed program
// keeps no files beside itself: when that folder cannot be written, or is the bin/ of an
// installation, the home is the user's own $XDG_DATA_HOME/fenwarde (~/.local/share/fenwarde).
Home ChooseHome(const HomePlaces& places);

// ChooseHome with the places read from this process. An installation is recognised by its
// layout: <folder>/../share/applications/fenwarde.desktop, as the package installs it.
Home ResolveHome(const std::string& homeOption, const std::string& programFolder);

// Makes a per-user home on first start: the folder (and missing parents) readable by its owner
// only, and a conf.ini with the defaults and no server, so the login window starts from the
// server field. A home that exists is left as it is; a missing conf.ini is written again.
// Any other home is only created when missing, as before. False when it cannot be made.
bool PrepareHome(const Home& home);

// The conf.ini a new per-user home starts with.
extern const char* const kDefaultConfig;

// The warning to show once at start-up when the home cannot keep what the program writes there
// (a new file in the folder for the logs, conf.ini, the database file); empty when all is well.
std::string HomeWriteWarning(const std::string& home, const std::string& databaseFile);

}  // namespace fw
