// Several units at once: the exit status, the records, the shared log, the stop of every unit.
#include "Production_Log.h"
#include "Production_Run.h"
#include "Production_Station.h"
#include "Production_Status.h"
#include "Temp_Folder.h"
#include "Unit_Progress.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

TEST(Production, ExitStatusIsTheHighestFailure) {
    const std::vector<std::pair<std::vector<int>, int>> table{
        {{}, 0}, {{0, 0, 0}, 0}, {{0, 3}, 3}, {{4, 3, 0}, 4}, {{5, 6, 0}, 6}, {{0, 5}, 5}};
    for (const auto& [codes, status] : table) {
        EXPECT_EQ(Production_Exit_Status(codes), status) << ::testing::PrintToString(codes);
    }
    // A round's totals take each record's own status.
    Production_Totals totals;
    totals.Rounds = 1;
    for (const auto outcome :
         {Run_Outcome::Reset_Not_Acknowledged, Run_Outcome::Written, Run_Outcome::Write_Failed}) {
        totals.Add({"p", "d", {}, outcome, 1, 0, 1.0, "ab", "t"});
    }
    EXPECT_EQ(Json_Summary(totals), "{\"summary\":true,\"rounds\":1,\"units\":3,\"succeeded\":1,"
                                    "\"failed\":2,\"exit_code\":6}");
}

TEST(Production, LogHasOneHeaderAndQuotesFields) {
    Temp_Folder folder("production_log");
    // The device holds a quote, a comma and a line feed; the serial number a quote alone.
    Unit_Record record{
        "serial=A,B", "/dev/a\"b,c\nd",      "7\"Q", Run_Outcome::Write_Failed, 7, 2, 9.0184,
        "ab12",       "2024-05-17T09:41:07Z"};
    ASSERT_FALSE(Append_Csv_Record(folder / "log.csv", record).Failed());
    record.Serial.reset();
    record.Outcome = Run_Outcome::Written;
    ASSERT_FALSE(Append_Csv_Record(folder / "log.csv", record).Failed());
    EXPECT_EQ(
        Read_File(folder / "log.csv"),
        "finished,port,device,serial,outcome,exit_code,blocks,retries,seconds,image_sha256\n"
        "2024-05-17T09:41:07Z,\"serial=A,B\",\"/dev/a\"\"b,c\nd\",\"7\"\"Q\",write_failed,4,"
        "7,2,9.018,ab12\n"
        "2024-05-17T09:41:07Z,\"serial=A,B\",\"/dev/a\"\"b,c\nd\",,written,0,7,2,9.018,ab12\n");
    EXPECT_EQ(Json_Record(record),
              "{\"port\":\"serial=A,B\",\"device\":\"/dev/a\\\"b,c\\nd\",\"serial\":null,"
              "\"outcome\":\"written\",\"exit_code\":0,\"blocks\":7,\"retries\":2,"
              "\"seconds\":9.018,\"image_sha256\":\"ab12\",\"finished\":\"2024-05-17T09:41:07Z\"}");
    EXPECT_EQ(Append_Csv_Record(folder.Path().string(), record).Cause, File_Cause::Folder);
    EXPECT_EQ(Append_Csv_Record("/dev/null", record).Cause, File_Cause::Not_Regular);
    // A pipe nobody reads is refused at once, never waited on.
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_TRUE(Append_Csv_Record(folder / "pipe", record).Failed());
}

TEST(Production, RecordsKeepTheDecimalPointUnderADecimalComma) {
    // The command line runs in the system's locale; one that writes a decimal comma is made here.
    Temp_Folder folder("comma_locale");
    Write_File(folder / "comma.def",
               std::string("LC_NUMERIC\ndecimal_point \",\"\n"
                           "thousands_sep \".\"\ngrouping 3\nEND LC_NUMERIC\n"));
    const std::string make =
        "localedef -c -i '" + folder / "comma.def" + "' '" + folder / "comma" + "' >/dev/null 2>&1";
    ASSERT_NE(std::system(make.c_str()), -1);
    setenv("LOCPATH", folder.Path().c_str(), 1);
    if (!std::setlocale(LC_NUMERIC, "comma")) {
        GTEST_SKIP() << "localedef made no locale here";
    }
    const Unit_Record record{"p", "d", {}, Run_Outcome::Written, 1, 0, 9.0184, "ab", "t"};
    const std::string csv = Csv_Record(record);
    const std::string json = Json_Record(record);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(csv, "t,p,d,,written,0,1,0,9.018,ab");
    EXPECT_NE(json.find(",\"seconds\":9.018,"), std::string::npos) << json;
}

TEST(Production, JsonRecordReplacesWhatIsNotUtf8) {
    // Each sequence that cannot be completed becomes one U+FFFD; the byte that cut it short is
    // read again on its own.
    const std::string R = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> table[] = {
        {"\x80", R},                         // continuation byte alone
        {"A\xBFZ", "A" + R + "Z"},           // ... between characters
        {"A\xC3", "A" + R},                  // two-byte sequence cut at the end
        {"A\xF0\x9F\x98", "A" + R},          // ... four-byte
        {"\xE2\x82Z", R + "Z"},              // cut by an ASCII character
        {"\xC3\xC3\xA8", R + "\xC3\xA8"},    // cut by the lead of a whole one
        {"\xC0\xAF", R + R},                 // overlong '/'
        {"\xED\xA0\x80", R + R + R},         // a surrogate
        {"\xF4\x90\x80\x80", R + R + R + R}, // past U+10FFFF
        {"\xFF", R},
        {"\xC3\xA8\xE2\x82\xAC\xF0\x9F\x98\x80",
         "\xC3\xA8\xE2\x82\xAC\xF0\x9F\x98\x80"}, // è€😀 kept
    };
    for (const auto& [bytes, text] : table) {
        const Unit_Record record{"p", bytes, bytes, Run_Outcome::Written, 1, 0, 12.3, "ab", "t"};
        EXPECT_EQ(Json_Record(record), "{\"port\":\"p\",\"device\":\"" + text + "\",\"serial\":\"" +
                                           text +
                                           "\",\"outcome\":\"written\",\"exit_code\":0,"
                                           "\"blocks\":1,\"retries\":0,\"seconds\":12.3,"
                                           "\"image_sha256\":\"ab\",\"finished\":\"t\"}")
            << ::testing::PrintToString(bytes);
    }
}

namespace {

// Ends at once with `outcome`, or, with Wait_For_Stop, only when stopped.
class Fake_Job : public Unit_Job {
  public:
    Fake_Job(Run_Outcome outcome, bool wait_for_stop)
        : outcome_(outcome), wait_for_stop_(wait_for_stop) {}
    Unit_Result Run(Unit_Reporter& reporter) override {
        reporter.Report({0, Unit_Event::Kind::Phase, Unit_Phase::Writing, 3, 1, "", {}, {}});
        std::unique_lock lock(mutex_);
        stopped_.wait(lock, [this] { return stop_ || !wait_for_stop_; });
        return {stop_ ? Run_Outcome::Stopped : outcome_, 3, 1, 0};
    }
    void Stop() override {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        stopped_.notify_all();
    }

  private:
    Run_Outcome outcome_;
    bool wait_for_stop_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stop_ = false;
};

} // namespace

TEST(Production, InterruptStopsEveryUnitStillRunning) {
    int interrupt[2];
    ASSERT_EQ(pipe(interrupt), 0);
    std::vector<std::unique_ptr<Unit_Job>> jobs;
    jobs.push_back(std::make_unique<Fake_Job>(Run_Outcome::Write_Failed, false));
    jobs.push_back(std::make_unique<Fake_Job>(Run_Outcome::Written, true));
    jobs.push_back(std::make_unique<Fake_Job>(Run_Outcome::Written, true));
    std::vector<std::size_t> ended;
    const auto results = Run_Units(jobs, interrupt[0], [&](const Unit_Event& event) {
        if (event.What == Unit_Event::Kind::Ended) {
            ended.push_back(event.Unit);
            // The unit that ended by itself lets the interrupt in.
            ASSERT_EQ(write(interrupt[1], "x", 1), 1);
        }
    });
    close(interrupt[0]);
    close(interrupt[1]);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(ended.front(), 0u);
    EXPECT_EQ(ended.size(), 3u);
    EXPECT_EQ(results[0].Outcome, Run_Outcome::Write_Failed);
    EXPECT_EQ(results[1].Outcome, Run_Outcome::Stopped);
    EXPECT_EQ(results[2].Outcome, Run_Outcome::Stopped);
    EXPECT_EQ(results[2].Blocks, 3);
}

// A station's rounds: a port given that nothing listed answers to is recorded as not found in
// every round, listed ones are programmed, and a stopped unit ends the rounds without asking for
// another.
TEST(Production, StationRecordsEveryPortAndAStoppedUnitEndsTheRounds) {
    struct Output : Station_Output {
        std::vector<std::string> Records;
        void No_Units() override {}
        void Port_Refused(const std::string&) override {}
        void Round_Started(std::size_t, const std::string&) override {}
        int Units_Starting(const std::vector<std::string>&) override { return -1; }
        void Unit_Changed(const Unit_Event&) override {}
        void Units_Ended() override {}
        void Unit_Recorded(const Unit_Record& r) override {
            Records.push_back(r.Port + " " + Outcome_Name(r.Outcome));
        }
        void Log_Failed(const File_Failure&) override {}
        void Round_Ended(const std::vector<Unit_Record>&, const Production_Totals&) override {}
        void Station_Ended(const Production_Totals&) override {}
    } output;
    Production_Options options;
    options.Ports = {"1", "serial=NONE"};
    options.Repeat = true;
    Port_Entry listed;
    listed.Number = 1;
    listed.Device = "/dev/ttyUSB7";
    std::vector<Run_Outcome> outcomes{Run_Outcome::Written, Run_Outcome::Stopped};
    Station_Machine machine{[&] { return std::vector<Port_Entry>{listed}; },
                            [&](const Port_Entry&, const std::vector<std::uint8_t>&) {
                                const Run_Outcome next = outcomes.front();
                                outcomes.erase(outcomes.begin());
                                return std::make_unique<Fake_Job>(next, false);
                            }};
    const std::vector<std::uint8_t> image(65536);
    Production_Station station(options, image, "ab", machine, output);
    int asked = 0;
    const int status = Run_Production_Rounds(station, options, [&] { return ++asked < 5; });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(output.Records, (std::vector<std::string>{"serial=NONE not_found", "1 written",
                                                        "serial=NONE not_found", "1 stopped"}));
    EXPECT_EQ(status, Exit_Stopped);
}

// A unit's session events as production events: a phase as each step starts, the blocks, and a
// retry reported at once.
TEST(Production, UnitProgressReportsPhasesBlocksAndEachRetryAtOnce) {
    struct Reporter : Unit_Reporter {
        std::vector<std::string> Events;
        void Report(Unit_Event e) override {
            Events.push_back(std::to_string(int(e.What)) + ":" + Phase_Name(e.Phase) + ":" +
                             std::to_string(e.Blocks) + ":" + std::to_string(e.Retries));
        }
    } reporter;
    Unit_Progress progress(reporter);
    progress.Step_Started(Link_Step::Find_Module);
    progress.Step_Started(Link_Step::Write_Block);
    progress.Block_Acknowledged(0, 512);
    progress.Request_Sent({Link_Step::Write_Block, 1, 512, 1}, "");
    progress.Request_Sent({Link_Step::Write_Block, 1, 512, 2}, "");
    progress.Step_Started(Link_Step::Reset_PIC);
    // The block right after the phase's report waits for the next tenth of a second.
    EXPECT_EQ(reporter.Events, (std::vector<std::string>{"0:finding:0:0", "0:writing:0:0",
                                                         "1:writing:1:1", "0:resetting:1:1"}));
}
