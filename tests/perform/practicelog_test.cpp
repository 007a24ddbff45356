#include "perform/practicelog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <unistd.h>

TEST(PracticeLog, AppendsPassesAndReadsBackThoseOfOneFileAndPartPassingOverBadLines)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orv-practicelog-" + std::to_string(getpid()) + ".csv");
    std::filesystem::remove(path);
    std::string error;
    const std::string odd = "Song, \"live\".mid";
    ASSERT_TRUE(appendPracticeLog(path,
                                  {{"2026-01-02 10:00:00", odd, 1, 1, 70, {4, 4, 3, 12.5, 0.625}},
                                   {"2026-01-02 10:00:00", odd, 1, 2, 70, {4, 4, 4, 6.25, 0.75}},
                                   {"2026-01-02 10:00:00", odd, 2, 1, 70, {2, 2, 0, 80, 0}}},
                                  error))
        << error;
    {
        std::ofstream(path, std::ios::app) << "garbage,\"unclosed\n" << odd << ",1,x,70,4,4,4,1,1\n";
    }
    ASSERT_TRUE(appendPracticeLog(path, {{"2026-01-03 09:30:00", "other.mid", 1, 1, 100, {1, 1, 1, 0, 1}}}, error));

    std::ifstream in(path);
    std::string heading;
    std::getline(in, heading);
    EXPECT_EQ(heading, "time,file,part,pass,tempo_percent,notes,within_25,mean_abs_cents,in_tune_share");
    const std::vector<PracticeLogEntry> read = readPracticeLog(path, odd, 1);
    std::filesystem::remove(path);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].file, odd);
    EXPECT_EQ(read[1].pass, 2);
    EXPECT_EQ(read[1].tempoPercent, 70);
    EXPECT_EQ(read[1].summary.within25, 4);
    EXPECT_DOUBLE_EQ(read[1].summary.meanAbsCents, 6.25);
    EXPECT_DOUBLE_EQ(read[1].summary.inTuneShare, 0.75);
    EXPECT_FALSE(appendPracticeLog(path / "no" / "such.csv", {}, error));
    EXPECT_NE(error.find("practice log"), std::string::npos);
}
