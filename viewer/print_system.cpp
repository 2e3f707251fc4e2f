#include "print_system.h"

#include <cups/cups.h>
#include <memory>

namespace {

QString serviceDown()
{
    return QStringLiteral("印刷サービス（CUPS: %1）に接続できません。印刷サービスが動いているか確かめてください。")
        .arg(QString::fromLocal8Bit(cupsServer()));
}

bool serviceAnswers()
{
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr);
    if (!http)
        return false;
    httpClose(http);
    return true;
}

QString lastErrorText() { return QString::fromUtf8(cupsLastErrorString()); }

using Dest = std::unique_ptr<cups_dest_t, void (*)(cups_dest_t*)>;

Dest namedDest(const QString& printerName)
{
    // "queue/instance": the instance only chooses saved options.
    const QByteArray queue = printerName.section(u'/', 0, 0).toUtf8();
    const QByteArray instance = printerName.section(u'/', 1).toUtf8();
    return Dest(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), instance.isEmpty() ? nullptr : instance.constData()),
        [](cups_dest_t* dest) { cupsFreeDests(1, dest); });
}

QString option(const cups_dest_t& dest, const char* name)
{
    return QString::fromUtf8(cupsGetOption(name, dest.num_options, dest.options));
}

// The printer's own words on its state ("paused", "offline-report"…), if any.
QString reasonsOf(const cups_dest_t& dest)
{
    const QString reasons = option(dest, "printer-state-reasons");
    return reasons.isEmpty() || reasons == u"none" ? QString() : QStringLiteral("（%1）").arg(reasons);
}

} // namespace

QueueState queueState(const QString& printerName)
{
    QueueState state;
    const Dest dest = namedDest(printerName);
    if (!dest) {
        // A lookup fails alike for a missing queue and an absent service: ask the service.
        state.problem = serviceAnswers()
            ? QStringLiteral("プリンタ「%1」が印刷サービスにありません（%2）。").arg(printerName, lastErrorText())
            : serviceDown();
        return state;
    }
    if (option(*dest, "printer-is-accepting-jobs") == u"false") {
        state.problem =
            QStringLiteral("プリンタ「%1」は今、印刷を受け付けていません%2。").arg(printerName, reasonsOf(*dest));
        return state;
    }
    state.paused = option(*dest, "printer-state").toInt() == IPP_PSTATE_STOPPED;
    return state;
}

QString submissionProblem(const QString& printerName)
{
    const ipp_status_t status = cupsLastError();
    if (status <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return QString();
    switch (status) {
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE: return serviceDown();
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return QStringLiteral("プリンタ「%1」は今、印刷を受け付けていません。").arg(printerName);
    case IPP_STATUS_ERROR_NOT_FOUND:
        return QStringLiteral("プリンタ「%1」が印刷サービスにありません。").arg(printerName);
    default:
        return QStringLiteral("印刷サービスがプリンタ「%1」への印刷を断りました（%2）。")
            .arg(printerName, lastErrorText());
    }
}

QString noPrinterReason()
{
    if (!serviceAnswers())
        return serviceDown();
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    cupsFreeDests(count, dests);
    if (count == 0)
        return QStringLiteral("プリンタが 1 台も設定されていません。");
    return QStringLiteral("既定のプリンタがありません。プリンタの設定で既定のプリンタを選んでください。");
}
