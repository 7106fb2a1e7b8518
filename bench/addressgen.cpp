#include "addressgen.h"

#include "grid/table.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace corvanta::bench {

namespace {

constexpr int kCols = 10;
using Record = std::array<std::string, kCols>;

// Our own small generator rather than std::mt19937 with a distribution:
// the distributions are not the same across standard libraries, and the
// data must be.
class Rng
{
  public:
    explicit Rng(quint32 seed) : m_state(0x9e3779b97f4a7c15ull ^ seed) {}
    uint64_t next()
    {
        uint64_t z = (m_state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % uint64_t(n)); }
    bool chance(int percent) { return below(1000) < percent * 10; }
    bool permille(int p) { return below(1000) < p; }
    template <size_t N> const char* pick(const std::array<const char*, N>& a)
    {
        return a[size_t(below(int(N)))];
    }

  private:
    uint64_t m_state;
};

const std::array<const char*, 40> kFirst = {
    "James",  "Mary",    "Robert",  "Patricia", "John",    "Jennifer", "Michael", "Linda",
    "David",  "Barbara", "William", "Susan",    "Richard", "Jessica",  "Joseph",  "Sarah",
    "Thomas", "Karen",   "Charles", "Nancy",    "Daniel",  "Lisa",     "Matthew", "Betty",
    "Mark",   "Sandra",  "Donald",  "Ashley",   "Steven",  "Kimberly", "Paul",    "Emily",
    "Andrew", "Donna",   "Joshua",  "Michelle", "Kenneth", "Carol",    "Kevin",   "Amanda"};
const std::array<const char*, 40> kLast = {
    "Smith",     "Johnson",  "Williams",  "Brown",   "Jones",    "Garcia",   "Miller",   "Davis",
    "Rodriguez", "Martinez", "Hernandez", "Lopez",   "Gonzalez", "Wilson",   "Anderson", "Thomas",
    "Taylor",    "Moore",    "Jackson",   "Martin",  "Lee",      "Perez",    "Thompson", "White",
    "Harris",    "Sanchez",  "Clark",     "Ramirez", "Lewis",    "Robinson", "Walker",   "Young",
    "Allen",     "King",     "Wright",    "Scott",   "Torres",   "Nguyen",   "Hill",     "O'Brien"};
// Non-ASCII names as whole names: each script orders its names its own way.
const std::array<const char*, 24> kForeignNames = {"José García",
                                                   "Zoë Müller",
                                                   "François Lefèvre",
                                                   "Søren Kierkegård",
                                                   "Ana Łukasiewicz",
                                                   "Björn Ångström",
                                                   "Chloé Dubois",
                                                   "Jürgen Groß",
                                                   "Иван Петров",
                                                   "Анна Смирнова",
                                                   "Дмитрий Козлов",
                                                   "Ольга Иванова",
                                                   "Νίκος Παπαδόπουλος",
                                                   "Ελένη Γεωργίου",
                                                   "Γιώργος Νικολάου",
                                                   "Μαρία Κωνσταντίνου",
                                                   "山田 太郎",
                                                   "佐藤 花子",
                                                   "王 伟",
                                                   "李 娜",
                                                   "김 민준",
                                                   "Renée Côté",
                                                   "Ñuño Peña",
                                                   "Đặng Thị Hồng"};
const std::array<const char*, 32> kStreets = {
    "Maple",     "Oak",     "Pine",     "Cedar",    "Elm",      "Washington", "Lake",   "Hill",
    "Main",      "Park",    "Sunset",   "Highland", "Church",   "Franklin",   "Center", "Spring",
    "Jefferson", "Lincoln", "Madison",  "Ridge",    "Walnut",   "Chestnut",   "Meadow", "Forest",
    "River",     "Mill",    "Prospect", "Union",    "Broadway", "Adams",      "Grove",  "Cherry"};
const std::array<const char*, 8> kSuffixes = {"St", "Ave", "Rd", "Blvd", "Ln", "Dr", "Ct", "Way"};
struct Place
{
    const char* city;
    const char* state;
    int zip; // first zip of the town; five digits with leading zeros
    int area;
};
const std::array<Place, 24> kPlaces = {{
    {"Boston", "MA", 2108, 617},        {"Cambridge", "MA", 2138, 617},
    {"Providence", "RI", 2903, 401},    {"Hartford", "CT", 6103, 860},
    {"Newark", "NJ", 7102, 973},        {"Portland", "ME", 4101, 207},
    {"Burlington", "VT", 5401, 802},    {"New York", "NY", 10001, 212},
    {"Philadelphia", "PA", 19103, 215}, {"Baltimore", "MD", 21201, 410},
    {"Atlanta", "GA", 30303, 404},      {"Miami", "FL", 33130, 305},
    {"Chicago", "IL", 60601, 312},      {"Detroit", "MI", 48201, 313},
    {"Minneapolis", "MN", 55401, 612},  {"Dallas", "TX", 75201, 214},
    {"Houston", "TX", 77002, 713},      {"Denver", "CO", 80202, 303},
    {"Phoenix", "AZ", 85003, 602},      {"Salt Lake City", "UT", 84101, 801},
    {"Seattle", "WA", 98101, 206},      {"San Francisco", "CA", 94102, 415},
    {"Los Angeles", "CA", 90012, 213},  {"San Diego", "CA", 92101, 619},
}};
const std::array<const char*, 6> kDomains = {"example.com",   "mail.example.net",
                                             "example.org",   "post.example.com",
                                             "inbox.example", "example.co.uk"};
const std::array<const char*, 16> kNotes = {"Met at the conference",
                                            "Prefers e-mail",
                                            "Call after 6 pm, not before",
                                            "Birthday in March",
                                            "Former colleague",
                                            "Send holiday card",
                                            "Owes us a call back",
                                            "Referred by \"Bob\"",
                                            "Allergic to nuts, shellfish",
                                            "Spouse: Pat",
                                            "Moved last year",
                                            "Ask about the \"blue\" project",
                                            "Do not call on weekends",
                                            "Has two kids, both in college",
                                            "VIP client",
                                            "Gate code 4471"};
const std::array<const char*, 6> kSecondLines = {"Gate code 1234",         "Ring twice",
                                                 "Leave at the back door", "See notes 2",
                                                 "Updated 2023",           "Ask for Sam"};

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        else if (c == '\'')
            c = 'o';
    return s;
}

std::string digits(int value, int width)
{
    std::string s = std::to_string(value);
    return std::string(size_t(std::max(0, width - int(s.size()))), '0') + s;
}

void makeRecord(Rng& rng, Record& rec)
{
    for (auto& f : rec)
        f.clear();
    const std::string first = rng.pick(kFirst), last = rng.pick(kLast);
    const int nameStyle = rng.below(1000);
    if (nameStyle < 70)
        rec[0] = rng.pick(kForeignNames);
    else if (nameStyle < 270)
        rec[0] = last + ", " + first;
    else if (nameStyle < 990)
        rec[0] = first + " " + last;

    if (!rng.chance(5)) {
        rec[1] = std::to_string(1 + rng.below(9899)) + " " + rng.pick(kStreets) + " " +
                 rng.pick(kSuffixes);
        if (rng.chance(6))
            rec[1] += ", Apt " + std::to_string(1 + rng.below(40));
    }
    const Place& place = kPlaces[size_t(rng.below(int(kPlaces.size())))];
    if (!rng.chance(4))
        rec[2] = place.city;
    if (!rng.chance(4))
        rec[3] = place.state;
    if (!rng.chance(5))
        rec[4] = digits(place.zip + rng.below(40), 5);
    if (!rng.chance(12))
        rec[5] = "(" + std::to_string(place.area) + ") 555-" + digits(rng.below(10000), 4);
    if (!rng.chance(22))
        rec[6] = lower(first) + "." + lower(last) + std::to_string(rng.below(100)) + "@" +
                 rng.pick(kDomains);
    if (rng.chance(48))
        rec[7] = "http://www." + lower(last) + std::to_string(rng.below(1000)) + ".example.com";
    const int noteRoll = rng.below(1000);
    if (noteRoll < 30)
        rec[8] = std::string(rng.pick(kNotes)) + "\n" + rng.pick(kSecondLines);
    else if (noteRoll < 290)
        rec[8] = rng.pick(kNotes);
    if (rng.chance(10))
        rec[9] = rng.pick(kNotes);
}

void appendCsvField(QByteArray& out, const std::string& f)
{
    if (f.find_first_of(",\"\r\n") == std::string::npos) {
        out.append(f.data(), qsizetype(f.size()));
        return;
    }
    out.append('"');
    for (char c : f) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

const Record kTitles = {"Name",  "Street", "City",     "State", "Zip Code",
                        "Phone", "Email",  "Web Site", "Notes", "Notes 2"};

} // namespace

QByteArray generateAddressCsv(int records, quint32 seed)
{
    QByteArray out;
    out.reserve(qsizetype(records) * 112 + 100);
    Rng rng(seed);
    Record rec = kTitles;
    for (int r = 0; r <= records; ++r) {
        if (r > 0)
            makeRecord(rng, rec);
        for (int c = 0; c < kCols; ++c) {
            if (c)
                out.append(',');
            appendCsvField(out, rec[size_t(c)]);
        }
        out.append("\r\n");
    }
    return out;
}

void fillAddressTable(Table& t, int records, quint32 seed)
{
    t.resize(records + 1, kCols);
    t.clearAll();
    Rng rng(seed);
    Record rec = kTitles;
    std::array<QByteArrayView, kCols> cells;
    for (int r = 0; r <= records; ++r) {
        if (r > 0)
            makeRecord(rng, rec);
        for (int c = 0; c < kCols; ++c)
            cells[size_t(c)] =
                QByteArrayView(rec[size_t(c)].data(), qsizetype(rec[size_t(c)].size()));
        t.setRowUtf8(r, cells.data(), kCols);
    }
}

} // namespace corvanta::bench
