#pragma once
// What the user is told when a file cannot be shown: its name and why, in Japanese.
#include <QString>
#include <cstdint>

#include "model/BvLoad.h"

// name: the file as shown to the user; read: the bytes read before a read error.
QString LoadFailureText(TBvLoadFailure failure, const QString& name, uint64_t read);
