#include "app/LoadFailureText.h"

#include <QLocale>

QString LoadFailureText(TBvLoadFailure failure, const QString& name, uint64_t read)
{
    QString why;
    switch (failure) {
    case TBvLoadFailure::NotFound: why = QStringLiteral("ファイルが見つかりません。"); break;
    case TBvLoadFailure::NoPermission: why = QStringLiteral("ファイルを読む権限がありません。"); break;
    case TBvLoadFailure::Folder: why = QStringLiteral("フォルダーです。ファイルを指定してください。"); break;
    case TBvLoadFailure::Device: why = QStringLiteral("ファイルではありません (デバイスなど)。"); break;
    case TBvLoadFailure::ReadError:
        why = QStringLiteral("読み込み中にエラーが起きました (%1 バイトまで読み込みました)。")
                  .arg(QLocale(QLocale::English).toString(qulonglong(read)));
        break;
    case TBvLoadFailure::OutOfMemory: why = QStringLiteral("大きすぎて、メモリーに読み込めません。"); break;
    case TBvLoadFailure::TooManyLines: why = QStringLiteral("行が多すぎて、読み込めません。"); break;
    case TBvLoadFailure::LineTooLong: why = QStringLiteral("2 GiB を超える行があり、読み込めません。"); break;
    case TBvLoadFailure::None:
    case TBvLoadFailure::Cancelled: break;
    }
    return QStringLiteral("ファイルが読み込めません。\n\n%1\n%2").arg(name, why);
}
