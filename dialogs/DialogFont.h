#pragma once
// The dialogs' UI font: "ＭＳ Ｐゴシック", 9 points (12 pixels at 96 pixels per inch).
#include <QFont>

QFont DialogFont();
