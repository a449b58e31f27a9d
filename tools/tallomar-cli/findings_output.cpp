#include "findings_output.h"

#include "logic/workbench/result_block.h"
#include "platform/text/delimited_text.h"

namespace tallomar::cli {

namespace {

// Appends `utf8` as a JSON string. The cells are valid UTF-8 already, so
// only quotes, backslashes and control characters need escaping; the bytes
// are copied on without decoding them.
void appendJsonString(QByteArray& out, QByteArrayView utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char byte : utf8) {
        const auto code = static_cast<unsigned char>(byte);
        switch (byte) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (code < 0x20) {
                    out += "\\u00";
                    out += kHex[code >> 4];
                    out += kHex[code & 0xF];
                } else {
                    out += byte;
                }
        }
    }
    out += '"';
}

}  // namespace

ResultReceiver FindingsOutput::receiver() {
    return {[this](const QStringList& names) { columns(names); }, [this](const ResultBlock& block) { rows(block); }};
}

void FindingsOutput::columns(const QStringList& names) {
    if (format_ == Format::Csv) {
        out_.write(csvRecord(names).toUtf8());
        return;
    }
    line_ = "{\"columns\": [";
    for (qsizetype c = 0; c < names.size(); ++c) {
        if (c > 0) line_ += ", ";
        appendJsonString(line_, names[c].toUtf8());
    }
    line_ += "],\n\"rows\": [";
    out_.write(line_);
}

void FindingsOutput::rows(const ResultBlock& block) {
    QStringList fields;
    for (int row = 0; row < block.rowCount(); ++row) {
        if (format_ == Format::Csv) {
            fields.clear();
            for (int column = 0; column < block.columnCount(); ++column) fields << block.text(row, column);
            out_.write(csvRecord(fields).toUtf8());
            continue;
        }
        line_ = firstRow_ ? "\n[" : ",\n[";
        firstRow_ = false;
        for (int column = 0; column < block.columnCount(); ++column) {
            if (column > 0) line_ += ", ";
            if (block.isNull(row, column))
                line_ += "null";
            else
                appendJsonString(line_, block.cell(row, column));
        }
        line_ += ']';
        out_.write(line_);
    }
}

void FindingsOutput::finish(const QString& status, qint64 count) {
    if (format_ == Format::Csv) return;
    line_ = "],\n\"status\": ";
    appendJsonString(line_, status.toUtf8());
    line_ += ", \"count\": " + QByteArray::number(count) + "}\n";
    out_.write(line_);
}

}  // namespace tallomar::cli
