// Start-up against a server that accepts connections and never answers: the real program in
// scripted mode, from its start until the main window has loaded and closed, next to the login
// time-out it is given. Also counts the connections the server saw (one per waited time-out).
//   startup_bench [login time-out in seconds, default 3] [repeats, default 3]
#include "base/text_file.h"
#include "support/bench_branch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

// A loopback port that completes connections in the kernel and never reads or answers them.
struct SilentServer {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    SilentServer()
    {
        sockaddr_in a{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
        socklen_t len = sizeof a;
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd, 16);
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    ~SilentServer() { close(fd); }
    int takeConnections() const
    {
        int n = 0;
        for (int c; (c = accept(fd, nullptr, nullptr)) >= 0; ++n)
            close(c);
        return n;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const int loginSeconds = benchArg(argc, argv, 1, 3);
    const int repeats = benchArg(argc, argv, 2, 3);
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("monthly-records"));
    QFile::copy(QStringLiteral(MONTHLY_RECORDS_BINARY), program);
    writeFile(
        dir.filePath(QStringLiteral("Massage.ini")),
        cp932Lines({QStringLiteral("[SYSTEM]"), QStringLiteral("SYSTEM_SYS=\\SYS"), QStringLiteral("SYSTEM_TMP=\\TMP"),
                    QStringLiteral("SYSTEM_ICON=\\ICON"), QStringLiteral("SYSTEM_DATA=\\DATA"),
                    QStringLiteral("WALLPAPER=none.png"), QStringLiteral("BASEID=0103")}));
    SilentServer server;
    writeFile(dir.filePath(QStringLiteral("adodb.ini")),
              cp932Lines({QStringLiteral("[接続情報]"),
                          QStringLiteral("接続情報=Provider=SQLOLEDB.1;Data Source=127.0.0.1,%1;Initial Catalog=SUITE;"
                                         "User ID=sa;Password=x;Connect Timeout=%2")
                              .arg(server.port)
                              .arg(loginSeconds)}));
    std::vector<double> times;
    int connections = 0;
    for (int i = 0; i < repeats; ++i) {
        QProcess p;
        p.setProgram(program);
        p.setArguments({QStringLiteral("1")});
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MONTHLY_RECORDS_SCRIPTED"), QStringLiteral("1"));
        env.insert(QStringLiteral("MONTHLY_RECORDS_QUIT_AFTER_LOAD"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start();
        p.waitForFinished(10 * 60 * 1000);
        times.push_back(t.nsecsElapsed() / 1e9);
        connections = server.takeConnections();
    }
    std::sort(times.begin(), times.end());
    std::printf("login time-out %d s: start-up to the loaded main window %.2f s (median of %d, min %.2f, max %.2f); "
                "connections per start %d\n",
                loginSeconds, times[times.size() / 2], repeats, times.front(), times.back(), connections);
    return 0;
}
