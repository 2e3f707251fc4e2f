// Every seed of the fuzz corpora and every input a fuzz run once failed on, through the same
// checks the fuzz targets make.
#include "fuzz_checks.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class FuzzInputs : public ::testing::TestWithParam<fuzzcheck::Target> { };

int replay(const fuzzcheck::Target& target, const QString& folder)
{
    int count = 0;
    const QDir dir(folder + u'/' + QString::fromLatin1(target.name));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString problem = target.check(f.readAll());
        EXPECT_TRUE(problem.isEmpty()) << target.name << "/" << name.toStdString() << ": " << problem.toStdString();
        ++count;
    }
    return count;
}

TEST_P(FuzzInputs, SeedsAndFormerFailuresPass)
{
    EXPECT_GT(replay(GetParam(), QStringLiteral(FUZZ_CORPUS_DIR)), 0) << "no seeds";
    replay(GetParam(), QStringLiteral(FUZZ_REGRESSION_DIR));
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs, ::testing::ValuesIn(fuzzcheck::targets()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
