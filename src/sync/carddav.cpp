#include "sync/carddav.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QXmlStreamReader>

namespace corvanta::Sync {

namespace {

const QString kDav = QStringLiteral("DAV:");

QString key(const QXmlStreamReader& x)
{
    return x.namespaceUri().toString() + u' ' + x.name().toString();
}

int statusOf(const QString& line)
{
    // "HTTP/1.1 404 Not Found"
    return line.simplified().section(u' ', 1, 1).toInt();
}

// Reads one DAV:prop; the reader stands on its start.
void readProp(QXmlStreamReader& x, int status, QHash<QString, DavProp>& props,
              QList<QString>& order)
{
    while (x.readNextStartElement()) {
        DavProp p;
        p.status = status;
        const QString name = key(x);
        int depth = 1;
        bool inHref = false;
        while (depth > 0 && !x.atEnd()) {
            switch (x.readNext()) {
            case QXmlStreamReader::StartElement:
                ++depth;
                p.elements.append(key(x));
                inHref = x.namespaceUri() == kDav && x.name() == u"href";
                if (inHref)
                    p.hrefs.append(QString());
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                inHref = false;
                break;
            case QXmlStreamReader::Characters:
                p.text += x.text();
                if (inHref)
                    p.hrefs.last() += x.text().trimmed();
                break;
            default:
                break;
            }
        }
        p.text = p.text.trimmed();
        props.insert(name, p);
        order.append(name);
    }
}

QString normalHref(const QString& text)
{
    return QUrl(text.trimmed()).path(QUrl::FullyEncoded);
}

} // namespace

Multistatus parseMultistatus(const QByteArray& xml)
{
    Multistatus m;
    QXmlStreamReader x(xml);
    if (!x.readNextStartElement() || x.namespaceUri() != kDav || x.name() != u"multistatus") {
        m.error = x.hasError() ? x.errorString() : QStringLiteral("no multistatus");
        return m;
    }
    while (x.readNextStartElement()) {
        if (x.namespaceUri() == kDav && x.name() == u"sync-token") {
            m.syncToken = x.readElementText().trimmed();
            continue;
        }
        if (x.namespaceUri() != kDav || x.name() != u"response") {
            x.skipCurrentElement();
            continue;
        }
        DavResponse r;
        while (x.readNextStartElement()) {
            if (x.namespaceUri() != kDav) {
                x.skipCurrentElement();
            } else if (x.name() == u"href") {
                r.href = normalHref(x.readElementText());
            } else if (x.name() == u"status") {
                r.status = statusOf(x.readElementText());
            } else if (x.name() == u"propstat") {
                QHash<QString, DavProp> props;
                QList<QString> order;
                int status = 200;
                while (x.readNextStartElement()) {
                    if (x.namespaceUri() == kDav && x.name() == u"prop")
                        readProp(x, 200, props, order);
                    else if (x.namespaceUri() == kDav && x.name() == u"status")
                        status = statusOf(x.readElementText());
                    else
                        x.skipCurrentElement();
                }
                for (const QString& k : order) {
                    props[k].status = status;
                    r.props.insert(k, props[k]);
                }
            } else {
                x.skipCurrentElement();
            }
        }
        m.responses.append(r);
    }
    if (x.hasError())
        m.error = x.errorString();
    return m;
}

DavClient::DavClient(QObject* parent) : QObject(parent), m_net(new QNetworkAccessManager(this))
{
    // Answers are checked by their status; a redirect of a PROPFIND is
    // followed by hand so the verb stays.
    m_net->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

DavClient::~DavClient()
{
    abort();
}

void DavClient::setCredentials(const QString& user, const QString& password)
{
    m_auth = "Basic " + (user + u':' + password).toUtf8().toBase64();
}

QNetworkReply* DavClient::start(const Request& r)
{
    QNetworkRequest req(r.url);
    req.setRawHeader("Authorization", m_auth);
    req.setRawHeader("User-Agent", "Corvanta Address Book");
    for (const auto& [name, value] : r.headers)
        req.setRawHeader(name, value);
    if (!m_trusted.isEmpty()) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setCaCertificates(m_trusted);
        req.setSslConfiguration(ssl);
    }
    QNetworkReply* reply = m_net->sendCustomRequest(req, r.verb, r.body);
    m_running.append(reply);
    return reply;
}

DavClient::Reply DavClient::finish(QNetworkReply* reply)
{
    Reply out;
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An aborted reply is closed: nothing to read, and reading warns.
    if (reply->isOpen())
        out.body = reply->readAll();
    out.etag = reply->rawHeader("ETag");
    out.location = reply->url().resolved(
        reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl());
    const QNetworkReply::NetworkError e = reply->error();
    out.cancelled = e == QNetworkReply::OperationCanceledError;
    // Errors below 100 are the connection's, not an HTTP status.
    out.networkFailed = e != QNetworkReply::NoError && (int(e) < 100 || out.status == 0);
    out.errorText = reply->errorString();
    return out;
}

DavClient::Reply DavClient::send(const Request& request)
{
    Reply out;
    sendAll({request}, 1, [&](size_t, const Reply& r) {
        out = r;
        return true;
    });
    return out;
}

void DavClient::sendAll(const std::vector<Request>& requests, int parallel,
                        const std::function<bool(size_t, const Reply&)>& done)
{
    QEventLoop loop;
    size_t next = 0;
    int running = 0;
    bool stop = m_cancelled;
    std::function<void()> fill = [&] {
        while (!stop && !m_cancelled && running < parallel && next < requests.size()) {
            const size_t i = next++;
            QNetworkReply* reply = start(requests[i]);
            ++running;
            connect(reply, &QNetworkReply::finished, &loop, [&, reply, i] {
                m_running.removeOne(reply);
                --running;
                if (!done(i, finish(reply)))
                    stop = true;
                reply->deleteLater();
                fill();
                if (running == 0)
                    loop.quit();
            });
        }
    };
    fill();
    if (running > 0)
        loop.exec();
}

void DavClient::abort()
{
    m_cancelled = true;
    const QList<QNetworkReply*> running = m_running;
    for (QNetworkReply* r : running)
        r->abort();
}

} // namespace corvanta::Sync
