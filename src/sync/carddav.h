#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace corvanta::Sync {

// One property of a WebDAV multistatus answer.
struct DavProp
{
    int status = 200;
    QString text;         // its text, the text of its children run together
    QStringList elements; // "namespace local" of every element inside it
    QStringList hrefs;    // the DAV:href elements inside it
};

struct DavResponse
{
    QString href; // the path, percent-encoded as the server sent it
    int status = 200;
    QHash<QString, DavProp> props; // by "namespace local"
};

struct Multistatus
{
    QList<DavResponse> responses;
    QString syncToken;
    QString error; // empty when the XML was read whole
};

// Reads a DAV:multistatus body.
Multistatus parseMultistatus(const QByteArray& xml);

// HTTP for CardDAV over QNetworkAccessManager. Calls wait in a local event
// loop, so the window stays live and Cancel can reach abort().
class DavClient : public QObject
{
    Q_OBJECT
  public:
    struct Request
    {
        QByteArray verb;
        QUrl url;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
    };
    struct Reply
    {
        int status = 0; // HTTP status; 0 when none came
        bool networkFailed = false;
        bool cancelled = false;
        QString errorText;
        QByteArray body;
        QByteArray etag;
        QUrl location;
    };

    explicit DavClient(QObject* parent = nullptr);
    ~DavClient() override;

    void setCredentials(const QString& user, const QString& password);
    // Certificates to trust instead of the system's (a server with a
    // certificate of its own).
    void setTrusted(const QList<QSslCertificate>& certificates) { m_trusted = certificates; }

    Reply send(const Request& request);
    // At most `parallel` at a time; `done(i, reply)` as each ends. Once
    // `stop` says so, nothing more is sent.
    void sendAll(const std::vector<Request>& requests, int parallel,
                 const std::function<bool(size_t, const Reply&)>& done);
    void abort();
    bool cancelled() const { return m_cancelled; }

  private:
    QNetworkReply* start(const Request& request);
    static Reply finish(QNetworkReply* reply);

    QNetworkAccessManager* m_net;
    QByteArray m_auth;
    QList<QSslCertificate> m_trusted;
    QList<QNetworkReply*> m_running;
    bool m_cancelled = false;
};

} // namespace corvanta::Sync
