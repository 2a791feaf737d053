#include "tests/app/FakeKaraokeService.h"

#include <cstdio>
#include <thread>

#include <httplib.h>
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace fake {
namespace {

constexpr int kSongsPerPage = 10;

// A GBK text as a JSON string body: quotes, backslashes and control bytes escaped.
std::string JsonEscape(const Text& text) {
    std::string out;
    for (char c : text.view()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out;
}

// Form-style percent-encoding as the feed carries its strings: a space is "+".
std::string PercentEncode(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
            (byte >= 'A' && byte <= 'Z') || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else if (c == ' ') {
            out += '+';
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", byte);
            out += escape;
        }
    }
    return out;
}

std::string FeedString(const Text& text) { return "\"" + PercentEncode(JsonEscape(text)) + "\""; }

std::string FormatCount(double count) {
    char number[64];
    std::snprintf(number, sizeof number, "%.17g", count);
    return number;
}

std::string AvatarPng() {
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixelColor(x, y, QColor(x * 4, y * 4, 160));
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toStdString();
}

}  // namespace

char GeneratedByte(std::uint64_t offset) { return static_cast<char>((offset * 131 + 7) % 251); }

Service::Service() : server_(testsupport::HttpServer::Secure(certificate_)) {
    httplib::Server& routes = server_->routes();
    // Answers leave at once, as from a real server, instead of waiting for the client's ACK.
    routes.set_tcp_nodelay(true);
    routes.Get("/cgi/fcgi-bin/kg_ugc_get_homepage", [this](const httplib::Request& request,
                                                           httplib::Response& response) {
        Delay();
        const std::string uid = request.get_param_value("share_uid");
        const std::string start = request.get_param_value("start");
        {
            std::lock_guard lock(mutex_);
            feedRequests_.push_back(start + "/" + uid);
        }
        response.set_content(FeedPage(uid, std::atoi(start.c_str())), "application/javascript");
    });
    routes.Get("/play", [this](const httplib::Request& request, httplib::Response& response) {
        Delay();
        const std::string shareId = request.get_param_value("s");
        std::lock_guard lock(mutex_);
        for (const auto& [uid, user] : users_) {
            for (const Song& song : user.songs) {
                if (song.shareId != shareId) continue;
                if (song.play == PlayPage::Missing) {
                    response.status = 404;
                    return;
                }
                const std::string key =
                    song.play == PlayPage::UpperCaseLink ? "PLAYURL" : "playurl";
                const std::string link = song.link.value_or(MediaAddress(shareId));
                std::string data = R"({"detail":{"ksong_mid":"003x","playurl_video":"",)";
                if (song.play != PlayPage::NoLink) data += "\"" + key + "\":\"" + link + "\",";
                data += R"("kg_nick":"x"}})";
                response.set_content(
                    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>song</title>"
                    "</head><body><div id=\"app\"></div><script>window.__DATA__ = " +
                        data + ";</script></body></html>",
                    "text/html; charset=utf-8");
                return;
            }
        }
        response.status = 404;
    });
    routes.Get(R"(/avatar/(\w+)\.png)",
               [this, png = AvatarPng()](const httplib::Request&, httplib::Response& response) {
                   Delay();
                   response.set_content(png, "image/png");
               });
    routes.Get(R"(/media/(\w+)\.m4a)", [this](const httplib::Request& request,
                                              httplib::Response& response) {
        Delay();
        const std::string shareId = request.matches[1];
        std::lock_guard lock(mutex_);
        ++mediaRequests_;
        for (const auto& [uid, user] : users_) {
            for (const Song& song : user.songs) {
                if (song.shareId != shareId) continue;
                if (song.generatedMediaBytes > 0) {
                    response.set_content_provider(
                        song.generatedMediaBytes, "audio/mp4",
                        [this, stall = song.stall](std::size_t offset, std::size_t length,
                                                   httplib::DataSink& sink) {
                            if (stall && offset > 0) {
                                std::unique_lock lock(mutex_);
                                ending_.wait(lock, [this] { return ended_; });
                                return false;
                            }
                            std::string piece(std::min<std::size_t>(length, 64 * 1024), '\0');
                            for (std::size_t i = 0; i < piece.size(); ++i) {
                                piece[i] = GeneratedByte(offset + i);
                            }
                            return sink.write(piece.data(), piece.size());
                        });
                    return;
                }
                if (song.media.empty()) break;
                response.set_content(song.media, "audio/mp4");
                return;
            }
        }
        response.status = 404;
        response.set_content("no such song", "text/plain");
    });
    server_->Start();
}

Service::~Service() {
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    ending_.notify_all();
    server_.reset();
}

std::string Service::Host() const { return "127.0.0.1:" + std::to_string(server_->port()); }

std::string Service::MediaAddress(const std::string& shareId) const {
    return "https://" + Host() + "/media/" + shareId + ".m4a";
}

void Service::AddUser(const std::string& uid, User user) {
    std::lock_guard lock(mutex_);
    users_[uid] = std::move(user);
}

void Service::SetAnswerDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    delay_ = delay;
}

std::vector<std::string> Service::FeedRequests() const {
    std::lock_guard lock(mutex_);
    return feedRequests_;
}

int Service::MediaRequests() const {
    std::lock_guard lock(mutex_);
    return mediaRequests_;
}

void Service::Delay() const {
    std::chrono::milliseconds delay;
    {
        std::lock_guard lock(mutex_);
        delay = delay_;
    }
    if (delay.count() > 0) std::this_thread::sleep_for(delay);
}

std::string Service::FeedPage(const std::string& uid, int page) const {
    std::lock_guard lock(mutex_);
    std::string json;
    const auto found = users_.find(uid);
    if (found == users_.end()) {
        json = R"({"code":1000,"msg":"user+not+found","data":{}})";
    } else {
        const User& user = found->second;
        json = R"({"code":0,"data":{"nickname":)" + FeedString(user.nickname) +
               R"(,"head_img_url":")" +
               (user.avatar ? "https://" + Host() + "/avatar/" + uid + ".png" : "") +
               R"(","ugc_total_count":)" +
               FormatCount(user.reportedCount.value_or(static_cast<double>(user.songs.size()))) +
               R"(,"ugclist":[)";
        // Pages count from 1; page 0 and pages past the end hold no songs.
        const int first = (page - 1) * kSongsPerPage;
        for (int i = first;
             page >= 1 && i < first + kSongsPerPage && i < static_cast<int>(user.songs.size());
             ++i) {
            const Song& song = user.songs[i];
            if (i > first) json += ",";
            json += R"({"title":)" + FeedString(song.title) + R"(,"shareid":")" + song.shareId +
                    R"(","time":1600000000,"score":0})";
        }
        json += "]}}";
    }
    return "jsonp_callback_01(" + json + ")";
}

}  // namespace fake
