#include "cli/csv.h"

namespace quorvex::cli {

// Characters are taken straight from the stream buffer: the formatted-input sentry of
// istream::get() would cost more than the parsing itself.
int CsvReader::Get() {
  const int c = in_.rdbuf()->sbumpc();
  if (c == '\n') ++line_;
  return c;
}

int CsvReader::Peek() { return in_.rdbuf()->sgetc(); }

bool CsvReader::Next(std::vector<std::string>& fields) {
  if (!started_) {
    started_ = true;
    if (Peek() == 0xEF) {
      char bom[3];
      const std::streamsize got = in_.rdbuf()->sgetn(bom, 3);
      bom_ = got == 3 && bom[1] == '\xBB' && bom[2] == '\xBF';
      if (!bom_) {
        error_ = "the input starts with bytes that are not UTF-8 text";
        return false;
      }
    }
  }
  // Skip blank lines between records.
  while (Peek() == '\r' || Peek() == '\n') Get();
  if (Peek() == std::char_traits<char>::eof()) return false;

  fields.clear();
  std::string field;
  const std::size_t start = line_;
  for (;;) {
    int c = Get();
    if (c == '"' && field.empty()) {
      // A quoted field runs to the next lone quote.
      for (;;) {
        c = Get();
        if (c == std::char_traits<char>::eof()) {
          error_ = "a quoted field opened on line " + std::to_string(start) + " is never closed";
          return false;
        }
        if (c == '"') {
          if (Peek() == '"') {
            Get();
            field.push_back('"');
            continue;
          }
          break;
        }
        field.push_back(static_cast<char>(c));
      }
      c = Get();
      if (c != ',' && c != '\r' && c != '\n' && c != std::char_traits<char>::eof()) {
        error_ = "text after a closing quote on line " + std::to_string(line_);
        return false;
      }
    }
    if (c == ',') {
      fields.push_back(std::move(field));
      field.clear();
      continue;
    }
    if (c == '\r' && Peek() == '\n') c = Get();
    if (c == '\r' || c == '\n' || c == std::char_traits<char>::eof()) {
      fields.push_back(std::move(field));
      return true;
    }
    field.push_back(static_cast<char>(c));
  }
}

void WriteCsvRecord(std::ostream& out, const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out.put(',');
    const std::string& f = fields[i];
    if (f.find_first_of(",\"\r\n") == std::string::npos) {
      out << f;
      continue;
    }
    out.put('"');
    for (char c : f) {
      if (c == '"') out.put('"');
      out.put(c);
    }
    out.put('"');
  }
  out << "\r\n";
}

}  // namespace quorvex::cli
