#include "vb_error.h"

QString VbError::parenText() const
{
    return QStringLiteral("(") + QString::number(number) + QStringLiteral(")") + description;
}

namespace vberr {
VbError typeMismatch() { return {13, QStringLiteral("型が一致しません。")}; }
VbError overflow() { return {6, QStringLiteral("オーバーフローしました。")}; }
VbError subscript() { return {9, QStringLiteral("インデックスが有効範囲にありません。")}; }
VbError invalidCall() { return {5, QStringLiteral("プロシージャの呼び出し、または引数が不正です。")}; }
VbError fileNotFound() { return {53, QStringLiteral("ファイルが見つかりません。")}; }
VbError pathNotFound() { return {76, QStringLiteral("パスが見つかりません。")}; }
VbError badFileName() { return {75, QStringLiteral("パス名が無効です。")}; }
VbError permissionDenied() { return {70, QStringLiteral("書き込みできません。")}; }
VbError diskFull() { return {61, QStringLiteral("ディスクの空き容量が不足しています。")}; }
VbError driver(const QString& firstDiagnostic) { return {-2147467259L, firstDiagnostic}; }
} // namespace vberr

void vbRaise(const VbError& e) { throw VbRuntimeError(e); }
