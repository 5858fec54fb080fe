#pragma once

#include <QString>

// A typed path with a leading "~" (alone or followed by a separator) taken to
// mean the home folder, as a shell would; any other text comes back unchanged
// ("~user" too).
QString ExpandHome(const QString &path);
