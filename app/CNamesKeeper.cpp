#include "CNamesKeeper.h"

#include "CBlockReader.h"
#include "CHeaderFile.h"
#include "CTexts.h"
#include "ConsoleEdit.h"

#include <QFileDialog>

// The names bound their saved form below what the store keeps.
static_assert(CCNames::kMaxBytes + 4096 <= CCNamesStore::kMaxBytes);

struct CCNamesKeeper::SHeader
{
    std::string strPath;
    CCNames names;
    SCHeaderRead read;
};

namespace
{

// A sentence of the reader's ("cannot read x.h: ...") as a notice says it.
QString Sentence(std::string strText)
{
    if (!strText.empty() && strText[0] >= 'a' && strText[0] <= 'z') strText[0] -= 'a' - 'A';
    if (!strText.empty() && strText.back() != '.') strText += '.';
    return QString::fromStdString(strText);
}

} // namespace

CCNamesKeeper::CCNamesKeeper(QObject* pParent)
    : QObject(pParent), m_readAction(QStringLiteral("Read C header\u2026"), this),
      m_forgetAction(QStringLiteral("Forget C names"), this)
{
    connect(&m_readAction, &QAction::triggered, this, &CCNamesKeeper::OnChooseHeader);
    connect(&m_forgetAction, &QAction::triggered, this, &CCNamesKeeper::Forget);
}

CCNamesKeeper::~CCNamesKeeper() = default;

void CCNamesKeeper::Start(CConsoleEdit* pConsole)
{
    m_pConsole = pConsole;
    pConsole->AddContextAction(&m_readAction);
    pConsole->AddContextAction(&m_forgetAction);
    pConsole->m_fnReadHeaders = [this](const QStringList& arrPaths) { ReadHeaders(arrPaths); };
    CConsolePaste& paste = pConsole->Paste();
    paste.m_fnNames = [this]() -> const CCNames& { return Names(); };
    paste.m_fnLearned = [this](const CCNames& learned)
    {
        CCNames& names = Names();
        names.Adopt(learned);
        Save(names.Save());
    };
    paste.m_fnDone = [this] { Adopt(); };

    // Many names take a while to load: the window appears meanwhile, and what needs them waits.
    std::promise<void> loaded;
    m_loaded = loaded.get_future().share();
    m_loading = std::jthread(
        [this, loaded = std::move(loaded)]() mutable
        {
            // Made here: the built-in names they stand over are read on first use.
            m_pNames = std::make_unique<CCNames>();
            m_pStore = std::make_unique<CCNamesStore>();
            const std::string strSaved = m_pStore->Restored();
            if (!strSaved.empty()) m_pNames->Load(strSaved);
            loaded.set_value();
        });
}

CCNames& CCNamesKeeper::Names()
{
    if (m_loaded.valid()) m_loaded.wait();
    if (!m_pNames) m_pNames = std::make_unique<CCNames>(); // not started: none kept
    return *m_pNames;
}

void CCNamesKeeper::Save(const std::string& strSaved)
{
    Names();
    if (m_pStore) m_pStore->Save(strSaved);
}

void CCNamesKeeper::Forget()
{
    m_pConsole->Paste().WaitForReader();
    CCNames& names = Names();
    const std::size_t nNames = names.Count();
    names.Forget();
    if (m_pStore) m_pStore->Forget();
    m_pConsole->Paste().ShowNotice(QString::fromStdString(TextNamesForgotten(nNames)));
}

void CCNamesKeeper::OnChooseHeader()
{
    const QString strPath = QFileDialog::getOpenFileName(
        m_pConsole->window(), QStringLiteral("Read C header"), QStringLiteral("/usr/include"),
        QStringLiteral("C headers (*.h);;All files (*)"));
    if (!strPath.isEmpty()) ReadHeaders({strPath});
}

void CCNamesKeeper::ReadHeaders(const QStringList& arrPaths)
{
    m_arrHeaders += arrPaths;
    if (!m_pHeader) ReadNextHeader();
}

void CCNamesKeeper::ReadNextHeader()
{
    if (m_arrHeaders.isEmpty()) return;
    auto pHeader = std::make_shared<SHeader>();
    pHeader->strPath = m_arrHeaders.takeFirst().toStdString();
    m_pHeader = pHeader;
    const std::uint64_t nRead = ++m_nRead;
    m_reading = std::jthread(
        [this, pHeader, nRead](std::stop_token stop)
        {
            SCHeaderOptions options;
            options.stop = stop;
            pHeader->read = ReadHeaderFile(pHeader->strPath, pHeader->names, options);
            if (stop.stop_requested()) return;
            QMetaObject::invokeMethod(
                this, [this, nRead] { OnHeaderRead(nRead); }, Qt::QueuedConnection);
        });
}

void CCNamesKeeper::OnHeaderRead(std::uint64_t nRead)
{
    if (nRead != m_nRead || !m_pHeader) return;
    const std::shared_ptr<SHeader> pHeader = std::move(m_pHeader);
    if (!pHeader->read.bRead)
        m_pConsole->Paste().ShowNotice(Sentence(pHeader->read.strError));
    else
    {
        m_arrAdopting.push_back(pHeader);
        Adopt();
    }
    ReadNextHeader();
}

// The header's names join these, unless a paste is reading them: then once it is over.
void CCNamesKeeper::Adopt()
{
    if (m_arrAdopting.empty() || m_pConsole->Paste().IsRunning()) return;
    m_pConsole->Paste().WaitForReader();
    CCNames& names = Names();
    for (const std::shared_ptr<SHeader>& pRead : m_arrAdopting)
        names.Adopt(pRead->names);
    const std::shared_ptr<SHeader> pHeader = m_arrAdopting.back();
    m_arrAdopting.clear();
    Save(names.Save());
    std::string strNotice =
        TextHeaderRead(CCBlockReader::OriginOf(pHeader->strPath), pHeader->read.nDefinitions);
    if (!pHeader->read.strNote.empty())
    {
        strNotice.back() = ';';
        strNotice += ' ' + pHeader->read.strNote;
    }
    m_pConsole->Paste().ShowNotice(Sentence(strNotice));
}
