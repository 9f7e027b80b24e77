#include "NewFeed.h"

#include "zelXMLParser2.h"

void CreateNewFeed(const std::string &path, const std::string &title, const std::string &dateStamp)
{
    TzelXMLParser2 feed;
    feed.Declaration().AppendAttribute("version", "1.0");
    feed.Declaration().AppendAttribute("encoding", "UTF-8");
    feed.SetName("rss");
    feed.AppendAttribute("version", "2.0");
    TzelXMLNode2 *channel = feed.ChildOrNew("channel");
    channel->ChildOrNew("title")->SetText(title);
    channel->ChildOrNew("description");
    channel->ChildOrNew("link");
    channel->ChildOrNew("pubDate")->SetText(dateStamp);
    channel->ChildOrNew("lastBuildDate")->SetText(dateStamp);
    feed.SaveToFile(path);
}

