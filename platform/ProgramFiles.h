#pragma once
// Where the program's own files lie: beside the program (the build tree, an unpacked copy), or
// in its installation's data folder (share/tavuko/ beside the bin/ the program is in).
#include <QString>

// The file `name` of the program whose directory is programDir: the first of the two places
// that holds it as a file, else the place beside the program (so that a message can name it).
QString ProgramFile(const QString& programDir, const QString& name);
